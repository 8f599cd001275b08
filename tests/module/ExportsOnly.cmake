# cmake -DLIBRARY=<libTavren.so> -P ExportsOnly.cmake: fails unless the library's dynamic symbol
# table defines exactly the six exports of module/TavrenApi.h.
execute_process(COMMAND nm -D --defined-only ${LIBRARY} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
string(REGEX MATCHALL "[^ \n]+\n" names "${out}")
list(TRANSFORM names STRIP)
list(SORT names)
set(want ChangeLanguage ComSetDialog ManageDesignDialog ManageStxDialog WriteSendDialog WriteSendStxDialog)
if(NOT rc EQUAL 0 OR NOT names STREQUAL want)
  message(FATAL_ERROR "libTavren defines ${names}, not ${want}")
endif()
