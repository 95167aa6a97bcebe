// CKVoiceModel: the voice model dialog's drawing window. It holds the model
// last built and draws one period: the pulse with its phase marks, the flow
// (light red), the pulse with noise and chest resonance (light green) and
// the residual.
#pragma once
#include "tembrix/models/KModelPicture.h"
#include "tembrix/models/KVoicePulse.h"

class CKVoiceModel : public CKModelPicture, public CKVoicePulse {
public:
    static constexpr COLORREF kBackground = RGB(63, 127, 63);
    static constexpr COLORREF kFlowColour = RGB(255, 127, 127);
    static constexpr COLORREF kSignalColour = RGB(127, 255, 127);
    static constexpr COLORREF kLabelColour = RGB(255, 255, 0);

    // A child window over rect of pParent.
    bool Create(const RECT& rect, CWnd* pParent, UINT nID);

    // The residual's caption, as the window shows it.
    CString ResidualText() const;

    CKVoiceModel() : CKModelPicture(kBackground) {}

protected:
    void Draw(CDC& dc, int W, int H) override;
};
