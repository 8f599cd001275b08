// CProgressCtrl: the progress bar (ProgressModel.cpp).
#pragma once

#include "platform/comctl/CommCtrl.h"
#include "platform/afx/Wnd.h"

class CProgressCtrl : public CWnd {
public:
    // 16-bit range (0 to 65535).
    void SetRange(short nLower, short nUpper) { SendMessage(PBM_SETRANGE, 0, MAKELONG(static_cast<WORD>(nLower), static_cast<WORD>(nUpper))); }
    void SetRange32(int nLower, int nUpper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(nLower), nUpper); }
    void GetRange(int& nLower, int& nUpper) const
    {
        PBRANGE range{};
        ::SendMessageW(m_hWnd, PBM_GETRANGE, TRUE, static_cast<LPARAM>(reinterpret_cast<intptr_t>(&range)));
        nLower = range.iLow;
        nUpper = range.iHigh;
    }
    int GetPos() const { return static_cast<int>(::SendMessageW(m_hWnd, PBM_GETPOS, 0, 0)); }
    int SetPos(int nPos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos), 0)); }
    int OffsetPos(int nPos) { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(nPos), 0)); }
    int SetStep(int nStep) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(nStep), 0)); }
    int GetStep() const { return static_cast<int>(::SendMessageW(m_hWnd, PBM_GETSTEP, 0, 0)); }
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT, 0, 0)); }
};
