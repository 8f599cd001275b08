// What a design reader's failure means, said to a person: "cannot read X: <text>".
#pragma once

// nError: a CEmbFile::FileErrorInfo value (anything else: a general text).
const char* DesignErrorText(int nError);
