// The analyser's resources: template strings, status texts, command
// prompts and tooltips, menu, toolbar, accelerators and dialog forms.
#include <QDialog>

#include "framework/base/StringTable.h"
#include "framework/ui/CControlBars.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CMenu.h"
#include "ui_DialogJumpToFreq.h"
#include "ui_VornelAboutDlg.h"
#include "vornel/VornelIds.h"

namespace {

const KStringResource kTemplate(IDR_VORNEL_MAINFRAME,
                                "Vornel\nVorne\nVorne\nVorne Files (*.vrn)\n.vrn\nVornel.Document\nVorne Document");

const KStringResource kStatusTexts[] = {
    {IDS_VORNEL_FREQUENCY, "Частота"},
    {IDS_VORNEL_POWER, "Мощность"},
    {IDS_VORNEL_PHASE, "Фаза"},
};

// "prompt in the status bar\ntooltip"
const KStringResource kPrompts[] = {
    {ID_VORNEL_WHOLE_SPECTRUM_IN_WINDOW,
     "Сжать все 32768 линий спектра в ширину окна или листать их по одной на точку\nВесь спектр в окне"},
    {ID_VORNEL_SHOW_NUMBERS, "Подписывать частоты максимумов и минимумов при листании\nПоказывать числа"},
    {ID_VORNEL_CREATE_SYNTHETIC_WAVE,
     "Записать звук с измеренным амплитудным спектром и с фазой по задержкам\nСоздать синтетический WAVE-файл"},
    {ID_VORNEL_SAVE_MAXIMA,
     "Записать частоты всех максимумов в текстовый файл\nСохранить в файле все максимумы амплитудного спектра"},
    {ID_VORNEL_SAVE_MINIMA,
     "Записать частоты всех минимумов в текстовый файл\nСохранить в файле все минимумы амплитудного спектра"},
    {ID_VORNEL_JUMP_TO_FREQ, "Начать активное окно с заданной частоты\nПрыгнуть на частоту"},
    {ID_FILE_PRINT, "Напечатать активное окно\nПечать"},
    {ID_FILE_PRINT_PREVIEW, "Показать, как будет напечатано активное окно\nПредварительный просмотр"},
    {ID_APP_ABOUT, "Сведения о программе\nО программе"},
    {ID_HELP_FINDER, "Открыть руководство пользователя\nРуководство"},
    {ID_APP_EXIT, "Закрыть программу\nВыход"},
};

const KMenuTemplate kMenu(IDR_VORNEL_MAINFRAME, {
    KMenuItem("&Файл", {
        KMenuItem("Создать &синтетический WAVE-файл...", ID_VORNEL_CREATE_SYNTHETIC_WAVE),
        KMenuItem("Сохранить все &максимумы...", ID_VORNEL_SAVE_MAXIMA),
        KMenuItem("Сохранить все м&инимумы...", ID_VORNEL_SAVE_MINIMA),
        KMenuItem::Separator(),
        KMenuItem("&Печать...\tCtrl+P", ID_FILE_PRINT),
        KMenuItem("Пред&варительный просмотр", ID_FILE_PRINT_PREVIEW),
        KMenuItem::Separator(),
        KMenuItem("В&ыход", ID_APP_EXIT),
    }),
    KMenuItem("&Вид", {
        KMenuItem("&Панель инструментов", ID_VIEW_TOOLBAR),
        KMenuItem("&Строка состояния", ID_VIEW_STATUS_BAR),
        KMenuItem::Separator(),
        KMenuItem("&Весь спектр в окне", ID_VORNEL_WHOLE_SPECTRUM_IN_WINDOW),
        KMenuItem("Показывать &числа", ID_VORNEL_SHOW_NUMBERS),
        KMenuItem("Прыгнуть на &частоту...\tCtrl+J", ID_VORNEL_JUMP_TO_FREQ),
    }),
    KMenuItem("&Справка", {
        KMenuItem("&Руководство пользователя", ID_HELP_FINDER),
        KMenuItem::Separator(),
        KMenuItem("&О программе Vornel...", ID_APP_ABOUT),
    }),
});

// The toolbar's pictures: 16 × 16 files in res/toolbar/, compiled in.
const KToolBarButtonImage kToolBarPictures[] = {
    {ID_VORNEL_WHOLE_SPECTRUM_IN_WINDOW, ":/vornel/toolbar/whole-spectrum-in-window.png"},
    {ID_VORNEL_SHOW_NUMBERS,             ":/vornel/toolbar/show-numbers.png"},
    {ID_VORNEL_JUMP_TO_FREQ,             ":/vornel/toolbar/jump-to-freq.png"},
    {ID_VORNEL_CREATE_SYNTHETIC_WAVE,    ":/vornel/toolbar/create-synthetic-wave.png"},
    {ID_VORNEL_SAVE_MAXIMA,              ":/vornel/toolbar/save-maxima.png"},
    {ID_VORNEL_SAVE_MINIMA,              ":/vornel/toolbar/save-minima.png"},
    {ID_FILE_PRINT,                      ":/vornel/toolbar/print.png"},
};

const KToolBarTemplate kToolBar(IDR_VORNEL_MAINFRAME, {
    ID_VORNEL_WHOLE_SPECTRUM_IN_WINDOW, ID_VORNEL_SHOW_NUMBERS, ID_VORNEL_JUMP_TO_FREQ, 0,
    ID_VORNEL_CREATE_SYNTHETIC_WAVE, ID_VORNEL_SAVE_MAXIMA, ID_VORNEL_SAVE_MINIMA, 0,
    ID_FILE_PRINT, 0,
    ID_APP_ABOUT,
});

const KAcceleratorTemplate kAccelerators(IDR_VORNEL_MAINFRAME, {
    {FVIRTKEY | FCONTROL, 'P', ID_FILE_PRINT},
    {FVIRTKEY | FCONTROL, 'J', ID_VORNEL_JUMP_TO_FREQ},
});

const KFormTemplate<Ui::DialogJumpToFreq> kJump(IDD_JUMP_TO_FREQ);
const KFormTemplate<Ui::VornelAboutDlg> kAbout(IDD_VORNEL_ABOUTBOX);

} // namespace
