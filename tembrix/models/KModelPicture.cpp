#include "tembrix/models/KModelPicture.h"

#include "framework/ui/CDC.h"

void CKModelPicture::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    const int W = rc.Width(), H = rc.Height();
    dc.FillSolidRect(0, 0, W, H, m_background);
    Draw(dc, W, H);
}
