#include "framework/ui/QtUserInteraction.h"

#include <QApplication>
#include <algorithm>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStringList>
#include <vector>

#include "framework/ui/KPrinterQt.h"

namespace {

ToneFunction g_tone = nullptr;

QString q(const CString& s)
{
    return QString::fromUtf8(s.GetString());
}

QWidget* activeOwner()
{
    return QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
}

} // namespace

void SetToneFunction(ToneFunction f)
{
    g_tone = f;
}

CString KQtFilterFromFrameworkFilter(const CString& filter)
{
    QStringList parts = q(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        QString label = parts[i];
        label.replace("*.*", "*");
        patterns.replace("*.*", "*");
        // The label carries its own patterns: keep it, Qt reads the last parentheses.
        out << (label.contains('(') ? label : label + " (" + patterns + ")");
    }
    return CString(out.join(";;").toUtf8().toStdString());
}

namespace {
// The picture a message box shows for the icon named in its style.
QMessageBox::Icon IconOf(UINT style)
{
    switch (style & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}
} // namespace

int CQtUserInteraction::MessageBox(const CString& text, const CString& caption, UINT style)
{
    QMessageBox box(activeOwner());
    box.setWindowTitle(caption.IsEmpty() ? QApplication::applicationName() : q(caption));
    box.setText(q(text));
    box.setIcon(IconOf(style));
    struct Button {
        int id;
        const char* text;
        QMessageBox::ButtonRole role;
    };
    std::vector<Button> buttons;
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
        buttons = {{IDOK, "OK", QMessageBox::AcceptRole}, {IDCANCEL, "Отмена", QMessageBox::RejectRole}};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{IDABORT, "Прервать", QMessageBox::RejectRole},
                   {IDRETRY, "Повторить", QMessageBox::AcceptRole},
                   {IDIGNORE, "Пропустить", QMessageBox::AcceptRole}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{IDYES, "Да", QMessageBox::YesRole}, {IDNO, "Нет", QMessageBox::NoRole},
                   {IDCANCEL, "Отмена", QMessageBox::RejectRole}};
        break;
    case MB_YESNO:
        buttons = {{IDYES, "Да", QMessageBox::YesRole}, {IDNO, "Нет", QMessageBox::NoRole}};
        break;
    case MB_RETRYCANCEL:
        buttons = {{IDRETRY, "Повторить", QMessageBox::AcceptRole}, {IDCANCEL, "Отмена", QMessageBox::RejectRole}};
        break;
    default:
        buttons = {{IDOK, "OK", QMessageBox::AcceptRole}};
    }
    std::vector<QPushButton*> made;
    for (const Button& b : buttons)
        made.push_back(box.addButton(QString::fromUtf8(b.text), b.role));
    size_t def = (style & MB_DEFMASK) >> 8;
    if (def < made.size())
        box.setDefaultButton(made[def]);
    box.exec();
    for (size_t i = 0; i < made.size(); ++i) {
        if (box.clickedButton() == made[i])
            return buttons[i].id;
    }
    // Closed without a button: the box's cancel, or its only button.
    for (const Button& b : buttons) {
        if (b.id == IDCANCEL || b.id == IDNO)
            return b.id;
    }
    return buttons.front().id;
}

bool CQtUserInteraction::FileDialog(FileDialogRequest& r)
{
    QFileDialog dlg(activeOwner(), q(r.sTitle));
    dlg.setNameFilter(q(KQtFilterFromFrameworkFilter(r.sFilter)));
    dlg.setAcceptMode(r.bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(r.bOpen && (r.nFlags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!r.sDefaultExt.IsEmpty())
        dlg.setDefaultSuffix(q(r.sDefaultExt));
    if (!r.sFileName.IsEmpty())
        dlg.selectFile(q(r.sFileName));
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !(r.nFlags & OFN_OVERWRITEPROMPT));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return false;
    SetFileDialogResult(r, CString(QFileInfo(dlg.selectedFiles().front()).absoluteFilePath().toUtf8().toStdString()));
    return true;
}

void CQtUserInteraction::BeginWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CQtUserInteraction::EndWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

void CQtUserInteraction::Beep(DWORD frequency, DWORD duration)
{
    if (g_tone)
        g_tone(frequency, duration);
    else
        QApplication::beep();
}

void CQtUserInteraction::MessageBeep(UINT)
{
    QApplication::beep();
}

bool CQtUserInteraction::PrintDialog(PrintDialogRequest& r)
{
    QPrinter printer(QPrinter::HighResolution);
    KApplyPrinterSettings(printer, r);
    if (r.bSetup) {
        QPageSetupDialog dlg(&printer, activeOwner());
        dlg.setWindowTitle(QString::fromUtf8("Настройка печати"));
        if (dlg.exec() != QDialog::Accepted) return false;
        KReadPrinterSettings(printer, r);
        return true;
    }
    QPrintDialog dlg(&printer, activeOwner());
    dlg.setWindowTitle(QString::fromUtf8("Печать"));
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, r.nMaxPage != r.nMinPage);
    dlg.setMinMax(int(r.nMinPage), int(std::min<UINT>(r.nMaxPage, 0xFFFF)));
    if (dlg.exec() != QDialog::Accepted) return false;
    KReadPrinterSettings(printer, r);
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        r.nFromPage = UINT(printer.fromPage());
        r.nToPage = UINT(printer.toPage());
    } else {
        r.nFromPage = r.nMinPage;
        r.nToPage = r.nMaxPage;
    }
    return true;
}

bool KInstallQtRussianTexts()
{
    static QTranslator* installed = nullptr;
    if (installed) return true;
    auto* t = new QTranslator(qApp);
    if (!t->load(QLocale(QLocale::Russian), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    installed = t;
    return true;
}
