#include "platform/afx/GdiObject.h"

#include "platform/afx/Bitmap.h"
#include "platform/afx/Brush.h"
#include "platform/afx/Pen.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

struct TemporaryMap {
    std::mutex mutex;
    std::unordered_map<HGDIOBJ, std::unique_ptr<CGdiObject>> objects;
};

TemporaryMap& Temporaries()
{
    static TemporaryMap* pMap = new TemporaryMap; // never destroyed: wrappers may be used at exit
    return *pMap;
}

void ForgetTemporary(HGDIOBJ hObject)
{
    std::unique_ptr<CGdiObject> pOld;
    TemporaryMap& map = Temporaries();
    std::lock_guard<std::mutex> lock(map.mutex);
    auto it = map.objects.find(hObject);
    if (it != map.objects.end()) {
        pOld = std::move(it->second);
        map.objects.erase(it);
        pOld->m_hObject = 0; // the wrapper's destructor must not delete the handle again
    }
}

class CTemporaryPen : public CPen {
public:
    explicit CTemporaryPen(HGDIOBJ h) { m_hObject = h; m_bTemporary = true; }
};
class CTemporaryBrush : public CBrush {
public:
    explicit CTemporaryBrush(HGDIOBJ h) { m_hObject = h; m_bTemporary = true; }
};
class CTemporaryBitmap : public CBitmap {
public:
    explicit CTemporaryBitmap(HGDIOBJ h) { m_hObject = h; m_bTemporary = true; }
};
class CTemporaryGdiObject : public CGdiObject {
public:
    explicit CTemporaryGdiObject(HGDIOBJ h) { m_hObject = h; m_bTemporary = true; }
};

} // namespace

CGdiObject::~CGdiObject()
{
    if (!m_bTemporary)
        DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    if (!hObject || m_hObject)
        return FALSE;
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ h = m_hObject;
    m_hObject = 0;
    return h;
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    HGDIOBJ h = Detach();
    if (!m_bTemporary)
        ForgetTemporary(h);
    return ::DeleteObject(h);
}

BOOL CGdiObject::CreateStockObject(int nIndex)
{
    HGDIOBJ h = ::GetStockObject(nIndex);
    return h ? Attach(h) : FALSE;
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject)
{
    if (!hObject)
        return nullptr;
    TemporaryMap& map = Temporaries();
    std::lock_guard<std::mutex> lock(map.mutex);
    auto it = map.objects.find(hObject);
    if (it != map.objects.end()) {
        // A wrapper whose handle was deleted through it names a handle value used again. Written
        // only then: threads drawing at once share the wrappers of the stock objects, and read them.
        if (it->second->m_hObject != hObject)
            it->second->m_hObject = hObject;
        return it->second.get();
    }
    std::unique_ptr<CGdiObject> pObject;
    const DWORD dwType = ::GetObjectType(hObject);
    if (dwType == 0)
        return nullptr; // deleted meanwhile (a pending deletion that deselecting completed)
    switch (dwType) {
    case OBJ_PEN: pObject = std::make_unique<CTemporaryPen>(hObject); break;
    case OBJ_BRUSH: pObject = std::make_unique<CTemporaryBrush>(hObject); break;
    case OBJ_BITMAP: pObject = std::make_unique<CTemporaryBitmap>(hObject); break;
    default: pObject = std::make_unique<CTemporaryGdiObject>(hObject); break;
    }
    CGdiObject* p = pObject.get();
    map.objects.emplace(hObject, std::move(pObject));
    return p;
}
