// CKModelPicture: what the model dialogs' drawing windows share. Each paint
// fills the whole window with the picture's background before it draws.
#pragma once
#include "framework/ui/CWnd.h"

class CDC;

class CKModelPicture : public CWnd {
public:
    void OnPaint() override;

protected:
    explicit CKModelPicture(COLORREF background) : m_background(background) {}
    // The picture over the background of a window W × H pixels.
    virtual void Draw(CDC& dc, int W, int H) = 0;

private:
    COLORREF m_background;
};
