// CKDialogPlayOriginalOrSynthetic: plays the whole sound object as the
// upper screen shows it (the original) or as the lower screen shows it
// (the residual, or the rebuilt signal alone), with the gain and clip count
// of the library's fragment playback.
#pragma once
#include "kavrel/views/KDialogPlayFilmViewFragment.h"

class CGlissarDoc;

class CKDialogPlayOriginalOrSynthetic : public CKDialogPlayFilmViewFragment {
public:
    explicit CKDialogPlayOriginalOrSynthetic(CGlissarDoc* pDoc, CWnd* pParent = nullptr);

    void OnPlayOriginal();
    void OnPlaySynthetic();

    enum ESource { SourceOriginal = 1, SourceLowerScreen = 2 };

    CGlissarDoc* pDoc;
    int nSource = SourceOriginal;
    long nCadre0Sample = 0;

protected:
    bool GetSourceFormat(WAVEFORMATEX& format) override;
    long GetSourceSizeInSamples() override;
    void FillSourceSamples(short* pBuffer, long nFirst, long n) override;

private:
    void playWholeObject(int source);
};

// The lower screen's sound: n samples from float wave index i, the residual
// (original minus rebuilt, truncated towards zero) or the rebuilt signal
// alone; zeros past the end of the float wave.
void FillLowerScreenSamples(const short* pOriginal, const float* pFloat, long nFloat, long i, long n,
                            bool bOnlyMarkedTraces, short* pOut);
