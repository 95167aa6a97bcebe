// The dialog forms and the menu of Capteon, under their numeric IDs.
#include <QDialog>
#include <QLayout>
#include <QPainter>
#include <QPixmap>

#include "capteon/CapteonDlg.h"
#include "framework/ui/CMenu.h"
#include "ui_CapteonAboutDlg.h"
#include "ui_CapteonDlg.h"

namespace {

// The program's icon: the red dot of a recorder.
QPixmap recorderIcon(int size)
{
    QPixmap p(size, size);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), size / 16.0));
    painter.setBrush(QColor(210, 30, 30));
    const double m = size / 8.0;
    painter.drawEllipse(QRectF(m, m, size - 2 * m, size - 2 * m));
    return p;
}

const KDialogTemplate kMain(IDD_CAPTEON_DIALOG, [](QDialog* d) {
    Ui::CapteonDlg ui;
    ui.setupUi(d);
    QIcon icon;
    icon.addPixmap(recorderIcon(16));
    icon.addPixmap(recorderIcon(32));
    d->setWindowIcon(icon);
    // The level meter is made over its place at initialisation: the place
    // must have its final size by then.
    d->layout()->activate();
});

const KDialogTemplate kAbout(IDD_ABOUTBOX, [](QDialog* d) {
    Ui::CapteonAboutDlg ui;
    ui.setupUi(d);
    ui.icon->setPixmap(recorderIcon(32));
});

std::vector<KMenuItem> rangeItems()
{
    static const char* const names[] = {"10 dB", "20 dB", "30 dB", "40 dB", "50 dB",
                                        "60 dB", "70 dB", "80 dB", "90 dB", "100 dB"};
    std::vector<KMenuItem> items;
    for (UINT i = 0; i < 10; ++i)
        items.emplace_back(names[i], ID_POWER_RANGE_10 + i);
    return items;
}

const KMenuTemplate kRangeMenu(IDR_POWER_RANGE_MENU, {KMenuItem("Диапазон", rangeItems())});

} // namespace
