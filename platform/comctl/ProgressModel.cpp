// The progress bar class: 16- and 32-bit ranges, position, step.
//
// Deliberately missing: marquee mode, bar colours, states (paused, error), vertical bars.
#include "platform/seam/Snapshot.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/user/WindowManager.h"

namespace {

class ProgressModel : public tavren::WindowModel {
public:
    LRESULT Proc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        switch (nMsg) {
        case PBM_SETRANGE:
            return OnSetRange(LOWORD(lParam), HIWORD(lParam));
        case PBM_SETRANGE32:
            return OnSetRange(static_cast<int>(wParam), static_cast<int>(lParam));
        case PBM_GETRANGE:
            return OnGetRange(wParam != 0, reinterpret_cast<PBRANGE*>(static_cast<intptr_t>(lParam)));
        case PBM_SETPOS:
            return SetPos(static_cast<int>(static_cast<int32_t>(wParam)));
        case PBM_DELTAPOS:
            return SetPos(m_nPos + static_cast<int>(static_cast<int32_t>(wParam)));
        case PBM_GETPOS:
            return m_nPos;
        case PBM_SETSTEP: {
            int nOld = m_nStep;
            m_nStep = static_cast<int>(static_cast<int32_t>(wParam));
            return nOld;
        }
        case PBM_GETSTEP:
            return m_nStep;
        case PBM_STEPIT:
            return OnStepIt();
        default:
            return DefWindowProcW(hWnd, nMsg, wParam, lParam);
        }
    }

    void Describe(tavren::ControlInfo& info) const override
    {
        info.nRangeLower = m_nLower;
        info.nRangeUpper = m_nUpper;
        info.nPos = m_nPos;
        info.nStep = m_nStep;
    }

private:
    // PBM_SETRANGE answers the previous range packed in 16 bits each; the 32-bit form the same.
    LRESULT OnSetRange(int nLower, int nUpper)
    {
        LRESULT lOld = MAKELONG(static_cast<WORD>(m_nLower), static_cast<WORD>(m_nUpper));
        m_nLower = nLower;
        m_nUpper = nUpper;
        SetPos(m_nPos);
        return lOld;
    }

    LRESULT OnGetRange(bool bLow, PBRANGE* pRange)
    {
        if (pRange)
            *pRange = PBRANGE{m_nLower, m_nUpper};
        return bLow ? m_nLower : m_nUpper;
    }

    // The position stays inside the range; the previous position is the answer.
    LRESULT SetPos(int nPos)
    {
        int nOld = m_nPos;
        int nLow = m_nLower < m_nUpper ? m_nLower : m_nUpper;
        int nHigh = m_nLower < m_nUpper ? m_nUpper : m_nLower;
        m_nPos = nPos < nLow ? nLow : (nPos > nHigh ? nHigh : nPos);
        return nOld;
    }

    // Stepping past the end wraps to the start, as Windows does.
    LRESULT OnStepIt()
    {
        int nOld = m_nPos;
        int nNew = m_nPos + m_nStep;
        if (nNew > m_nUpper)
            nNew = m_nLower + (nNew - m_nUpper);
        if (nNew < m_nLower)
            nNew = m_nUpper - (m_nLower - nNew);
        m_nPos = nNew;
        return nOld;
    }

    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nPos = 0;
    int m_nStep = 10;
};

} // namespace

namespace tavren {
std::unique_ptr<WindowModel> MakeProgressModel()
{
    return std::make_unique<ProgressModel>();
}
} // namespace tavren
