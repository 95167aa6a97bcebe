// The workshop's resources: the template string, the status panes' strings,
// every command's prompt and tooltip, the menus without and with a
// document, the context menus, the toolbar, the accelerators and the forms.
#include <QDialog>

#include "framework/base/StringTable.h"
#include "framework/ui/CControlBars.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CMenu.h"
#include "kavrel/views/KTrackOverlays.h"
#include "tembrix/TembrixIds.h"
#include "ui_DialogCutSignalBeforeCaret.h"
#include "ui_KDialogCutWaveFile.h"
#include "ui_KDialogPhoneObjectSetContent.h"
#include "ui_KDialogSetAGC.h"
#include "ui_TembrixAboutDlg.h"

namespace {

const KStringResource kTemplate(IDR_TEMBRIXTYPE,
                                "\nTembri\nTembri\nTembri Files (*.tbx)\n.tbx\nTembrix.Document\nTembri Document");
const KStringResource kMainTitle(IDR_MAINFRAME, "Tembrix");
const KStringResource kTime(IDS_TIME, "время");
const KStringResource kFrequency(IDS_FREQUENCY, "частота");
const KStringResource kPower(IDS_POWER, "мощность");

// "prompt in the status bar\ntooltip"
const KStringResource kPrompts[] = {
    {ID_FILE_NEW, "Создать новый документ анализа звукового сигнала\nСоздать документ"},
    {ID_FILE_OPEN, "Открыть документ анализа звукового сигнала\nОткрыть документ"},
    {ID_FILE_CLOSE, "Закрыть документ анализа\nЗакрыть документ"},
    {ID_FILE_SAVE, "Сохранить документ анализа звукового сигнала\nСохранить документ"},
    {ID_FILE_SAVE_AS, "Сохранить документ анализа звукового сигнала в новом файле\nСохранить как"},
    {ID_APP_EXIT, "Закрыть программу, предложив сохранить документы\nВыход"},
    {ID_APP_ABOUT, "Сведения о программе, ее версии и авторах\nО программе"},
    {ID_HELP_FINDER, "Открыть руководство пользователя\nСправка"},
    {ID_VIEW_TOOLBAR, "Показать или скрыть панель инструментов\nПанель инструментов"},
    {ID_VIEW_STATUS_BAR, "Показать или скрыть строку состояния\nСтрока состояния"},
    {ID_WINDOW_CASCADE, "Расположить окна документов каскадом\nКаскадом"},
    {ID_WINDOW_TILE_HORZ, "Расположить окна документов без пересечений\nБез пересечений"},
    {ID_WINDOW_ARRANGE, "Упорядочить значки свернутых документов\nУпорядочить значки"},
    {ID_WINDOW_SPLIT, "Передвинуть разделители окна документа\nРасщепить окно"},
    {ID_RECORD_SOUND, "Запустить программу звукозаписи Capteon\nЗаписать звуковой файл"},
    {ID_SET_SIGMA_FR, "Новое разрешение по частоте и шаг кадров фильма\nУстановить SigmaFr"},
    {ID_PLAY_WHOLE_FILE, "Воспроизвести весь звуковой файл документа\nВоспроизвести весь звуковой файл"},
    {ID_PLAY_SELECTED_FRAGMENT, "Воспроизвести выделенный фрагмент сигнала\nВоспроизвести выделеный фрагмент (пробел)"},
    {ID_SHOW_OSCILLOGRAM, "Показать или скрыть окно осциллограммы\nПоказать осциллограмму"},
    {ID_NEW_PHONE_OBJECT, "Создать новый фонообъект\nСоздать новый фонообъект"},
    {ID_SYNC_OSCILLOGRAM_BY_MARKER,
     "Осциллограмма и маркер следуют за мышью только при нажатой клавише Ctrl или только без нее\n"
     "Синхронизировать осциллограмму по маркеру, а не по курсору"},
    {ID_SYNTHESIS, "Синтезировать звуковой файл из фонообъектов\nСоздать суммарный звуковой файл"},
    {ID_SAVE_PROTOCOL, "Записать протокол фонообъектов документа\nСохранение протокола объектов"},
    {ID_DIFFERENTIATE, "Продифференцировать весь сигнал\nПродифференцировать весь сигнал"},
    {ID_DELETE_OR_KEEP_SEGMENT, "Удалить или сохранить выделенный сегмент в новом файле\n"
                                "Удалить или сохранить выделенный сегмент"},
    {ID_PAPER_COLOURS, "Белый фон и черные линии, как на бумаге\nЦвета для печати на бумаге"},
    {ID_TOOLTIP_CONTENT, "Время, частота и мощность в подсказке у курсора\n"
                         "Выбрать для показа рядом с курсором параметров сигнала"},
    {ID_SHOW_INSTANT_SPECTRUM, "Показать или скрыть окно мгновенного спектра\nПоказывать мгновенный спектр"},
    {ID_SHOW_PHASE_PORTRAIT, "Показать или скрыть окно фазового портрета\nПоказать фазовый портрет"},
    {ID_DELETE_OR_KEEP_BEFORE_CARET, "Удалить или сохранить в новом файле все до курсора\n"
                                     "Удалить или сохранить все до курсора (маркера)"},
    {ID_LEVEL_POWER, "Выровнять уровень мощности сигнала в новом файле\nВыровнять уровень мощности исходного сигнала ..."},
    {ID_UPSAMPLE_2, "Повысить частоту дискретизации в 2 раза\nПовышение частоты АЦП в 2 раза"},
    {ID_UPSAMPLE_4, "Повысить частоту дискретизации в 4 раза\nПовышение частоты АЦП в 4 раза"},
    {ID_DOWNSAMPLE, "Понизить частоту дискретизации\nDownsampling - децимация"},
    {ID_FILM_GREY, "Сонограмма амплитуд в оттенках серого\nАмплитудный фильм ч/б"},
    {ID_FILM_GREY_INVERSE, "Сонограмма амплитуд в инвертированных оттенках серого\nАмплитудный фильм ч/б инвертный"},
    {ID_FILM_COLOUR, "Сонограмма амплитуд в цвете\nАмплитудный фильм цветной"},
    {ID_FILM_PHASE_AMPL, "Фазовая сонограмма, отмечен рост амплитуды\nФазовый фильм - рост амплитуды"},
    {ID_FILM_PHASE_FREQ, "Фазовая сонограмма, отмечен рост частоты\nФазовый фильм - рост частоты"},
    {ID_RAISE_LOWER_BOUND, "Поднять нижнюю границу на 10 дБ\nПоднять нижнюю границу визуализации следов гармоник"},
    {ID_RAISE_UPPER_BOUND, "Поднять верхнюю границу на 10 дБ\nПоднять верхнюю границу визуализации следов гармоник"},
    {ID_LOWER_LOWER_BOUND, "Опустить нижнюю границу на 10 дБ\nОпустить нижнюю границу визуализации следов гармоник"},
    {ID_LOWER_UPPER_BOUND, "Опустить верхнюю границу на 10 дБ\nОпустить верхнюю границу визуализации следов гармоник"},
    {ID_DEFAULT_BOUNDS, "Границы визуализации по умолчанию\nУстановить уровни визуализации следов гармоник по умолчанию"},
    {ID_REVERSE_CADRES, "Записать сигнал с кадрами в обратном порядке\nРеверсировать кадры сигнального фильма"},
    {ID_CREATE_VOICE_SIGNAL, "Модель голосового импульса\nСоздать модельный голосовой сигнал"},
    {ID_PIROGOV_FUNCTION, "Статистика фонетической функции выделенного фрагмента\nРассчитать функцию Пирогова"},
    {ID_SOUND_COCKTAIL, "Перемешать кадры сигнала в новом файле\nСоздать файл-коктейль из этого звука"},
    {ID_DELETE_PHONE_OBJECT, "Удалить фонообъект из документа\nУдалить сонообъект"},
    {ID_PHONE_OBJECT_PROPERTIES, "Имя, описание и уровень фонообъекта\nСвойство сонообъекта"},
    {ID_EXPORT_TEXTGRID, "Записать фонообъекты в TextGrid программы Praat: слой на каждый уровень\n"
                         "Экспорт объектов в TextGrid"},
    {ID_IMPORT_TEXTGRID, "Добавить фонообъекты (только текст) из интервалов TextGrid программы Praat\n"
                         "Импорт объектов из TextGrid"},
    {ID_RULER_IN_SECONDS, "Подписи шкалы времени в целых секундах\nШкала времени в секундах"},
};

KMenuItem FileMenu(bool bDocument)
{
    std::vector<KMenuItem> items = {
        KMenuItem("Создать новый документ анализа звукового сигнала\tCtrl+N", ID_FILE_NEW),
        KMenuItem("Открыть документ анализа звукового сигнала...\tCtrl+O", ID_FILE_OPEN),
    };
    if (bDocument) {
        items.push_back(KMenuItem("Закрыть документ", ID_FILE_CLOSE));
        items.push_back(KMenuItem::Separator());
        items.push_back(KMenuItem("Сохранить документ анализа звукового сигнала\tCtrl+S", ID_FILE_SAVE));
        items.push_back(KMenuItem("Сохранить документ анализа звукового сигнала в новом файле...", ID_FILE_SAVE_AS));
        items.push_back(KMenuItem::Separator());
        items.push_back(KMenuItem("Экспорт объектов в TextGrid…", ID_EXPORT_TEXTGRID));
        items.push_back(KMenuItem("Импорт объектов из TextGrid…", ID_IMPORT_TEXTGRID));
    }
    items.push_back(KMenuItem::Separator());
    items.push_back(KMenuItem("Последний файл", ID_FILE_MRU_FILE1, MF_GRAYED));
    items.push_back(KMenuItem::Separator());
    items.push_back(KMenuItem("Выход", ID_APP_EXIT));
    return KMenuItem("Файл", std::move(items));
}

KMenuItem HelpMenu()
{
    return KMenuItem("&Help", {
        KMenuItem("&Help Topics", ID_HELP_FINDER),
        KMenuItem::Separator(),
        KMenuItem("&About Tembrix...", ID_APP_ABOUT),
    });
}

const KMenuTemplate kMainMenu(IDR_MAINFRAME, {
    FileMenu(false),
    KMenuItem("Вид", {
        KMenuItem("Показывать панель инструментов", ID_VIEW_TOOLBAR),
        KMenuItem("Показывать строку состояния", ID_VIEW_STATUS_BAR),
    }),
    HelpMenu(),
});

const KMenuTemplate kDocumentMenu(IDR_TEMBRIXTYPE, {
    FileMenu(true),
    KMenuItem("Вид", {
        KMenuItem("Показывать панель инструментов", ID_VIEW_TOOLBAR),
        KMenuItem("Показывать строку состояния", ID_VIEW_STATUS_BAR),
        KMenuItem::Separator(),
        KMenuItem("Амплитудный фильм ч/б", ID_FILM_GREY),
        KMenuItem("Амплитудный фильм ч/б инвертный", ID_FILM_GREY_INVERSE),
        KMenuItem::Separator(),
        KMenuItem("Фазовый фильм - рост амплитуды", ID_FILM_PHASE_AMPL),
        KMenuItem("Фазовый фильм - рост частоты", ID_FILM_PHASE_FREQ),
        KMenuItem::Separator(),
        KMenuItem("Амплитудный фильм цветной", ID_FILM_COLOUR),
        KMenuItem::Separator(),
        KMenuItem("Основной тон", CKTrackOverlays::ID_SHOW_PITCH_TRACK),
        KMenuItem("Форманты", CKTrackOverlays::ID_SHOW_FORMANT_TRACKS),
        KMenuItem("Параметры основного тона и формант…", CKTrackOverlays::ID_TRACK_PARAMETERS),
        KMenuItem::Separator(),
        KMenuItem("Поднять нижнюю границу визуализации следов гармоник", ID_RAISE_LOWER_BOUND),
        KMenuItem("Поднять верхнюю границу визуализации следов гармоник", ID_RAISE_UPPER_BOUND),
        KMenuItem("Опустить нижнюю границу визуализации следов гармоник", ID_LOWER_LOWER_BOUND),
        KMenuItem("Опустить верхнюю границу визуализации следов гармоник", ID_LOWER_UPPER_BOUND),
        KMenuItem("Установить уровни визуализации следов гармоник по умолчанию", ID_DEFAULT_BOUNDS),
    }),
    KMenuItem("Операции", {
        KMenuItem("Продифференцировать весь сигнал", ID_DIFFERENTIATE),
        KMenuItem("Удалить или сохранить выделенный сегмент", ID_DELETE_OR_KEEP_SEGMENT),
        KMenuItem("Удалить или сохранить все до курсора (маркера)", ID_DELETE_OR_KEEP_BEFORE_CARET),
        KMenuItem::Separator(),
        KMenuItem("Выровнять уровень мощности исходного сигнала", ID_LEVEL_POWER),
        KMenuItem("UpSampling", {
            KMenuItem("FrADC x 2 (пропускание на срезе = 1%)", ID_UPSAMPLE_2),
            KMenuItem("FrADC x 4 (пропускание на срезе = 1%)", ID_UPSAMPLE_4),
        }),
        KMenuItem("Downsampling - децимация", ID_DOWNSAMPLE),
        KMenuItem::Separator(),
        KMenuItem("Рассчитать функцию Пирогова", ID_PIROGOV_FUNCTION),
        KMenuItem("Реверсировать кадры сигнального фильма", ID_REVERSE_CADRES),
        KMenuItem("Создать голосовой сигнал", ID_CREATE_VOICE_SIGNAL),
        KMenuItem("Создать файл-коктейль из этого звука", ID_SOUND_COCKTAIL),
    }),
    KMenuItem("Установки", {
        KMenuItem("Цвета для печати на бумаге", ID_PAPER_COLOURS),
    }),
    KMenuItem("Окно", {
        KMenuItem("Расположить все окна каскадом", ID_WINDOW_CASCADE),
        KMenuItem("Расположить все окна без пересечений", ID_WINDOW_TILE_HORZ),
        KMenuItem("Упорядочить на рабочем столе иконки открытых документов", ID_WINDOW_ARRANGE),
        KMenuItem("Расщепить окно", ID_WINDOW_SPLIT),
    }),
    HelpMenu(),
});

const KMenuTemplate kPhoneObjectMenu(IDR_PHONE_OBJECT_MENU, {
    KMenuItem("Фонообъект", {
        KMenuItem("Cu&t", ID_EDIT_CUT),
        KMenuItem("&Copy", ID_EDIT_COPY),
        KMenuItem("&Paste", ID_EDIT_PASTE),
        KMenuItem::Separator(),
        KMenuItem("Удалить сонообъект", ID_DELETE_PHONE_OBJECT),
        KMenuItem("Свойство сонообъекта ...", ID_PHONE_OBJECT_PROPERTIES),
    }),
});

const KMenuTemplate kStripMenu(IDR_TEMBRIX_VIEW_MENU, {
    KMenuItem("Шкала", {
        KMenuItem("Шкала времени в секундах", ID_RULER_IN_SECONDS),
    }),
});

// The toolbar's pictures: 16 × 16 files in res/toolbar/, compiled in.
const KToolBarButtonImage kToolBarPictures[] = {
    {ID_RECORD_SOUND,                ":/tembrix/toolbar/record-sound.png"},
    {ID_SET_SIGMA_FR,                ":/tembrix/toolbar/set-sigma-fr.png"},
    {ID_SHOW_OSCILLOGRAM,            ":/tembrix/toolbar/show-oscillogram.png"},
    {ID_SYNC_OSCILLOGRAM_BY_MARKER,  ":/tembrix/toolbar/sync-oscillogram-by-marker.png"},
    {ID_TOOLTIP_CONTENT,             ":/tembrix/toolbar/tooltip-content.png"},
    {ID_FILM_GREY,                   ":/tembrix/toolbar/film-grey.png"},
    {ID_FILM_GREY_INVERSE,           ":/tembrix/toolbar/film-grey-inverse.png"},
    {ID_FILM_PHASE_AMPL,             ":/tembrix/toolbar/film-phase-ampl.png"},
    {ID_FILM_PHASE_FREQ,             ":/tembrix/toolbar/film-phase-freq.png"},
    {ID_FILM_COLOUR,                 ":/tembrix/toolbar/film-colour.png"},
    {ID_SHOW_INSTANT_SPECTRUM,       ":/tembrix/toolbar/show-instant-spectrum.png"},
    {ID_RAISE_LOWER_BOUND,           ":/tembrix/toolbar/raise-lower-bound.png"},
    {ID_LOWER_LOWER_BOUND,           ":/tembrix/toolbar/lower-lower-bound.png"},
    {ID_LOWER_UPPER_BOUND,           ":/tembrix/toolbar/lower-upper-bound.png"},
    {ID_RAISE_UPPER_BOUND,           ":/tembrix/toolbar/raise-upper-bound.png"},
    {ID_DEFAULT_BOUNDS,              ":/tembrix/toolbar/default-bounds.png"},
    {ID_PLAY_WHOLE_FILE,             ":/tembrix/toolbar/play-whole-file.png"},
    {ID_PLAY_SELECTED_FRAGMENT,      ":/tembrix/toolbar/play-selected-fragment.png"},
    {ID_NEW_PHONE_OBJECT,            ":/tembrix/toolbar/new-phone-object.png"},
    {ID_DELETE_OR_KEEP_SEGMENT,      ":/tembrix/toolbar/delete-or-keep-segment.png"},
    {ID_DELETE_OR_KEEP_BEFORE_CARET, ":/tembrix/toolbar/delete-or-keep-before-caret.png"},
    {ID_LEVEL_POWER,                 ":/tembrix/toolbar/level-power.png"},
    {ID_SYNTHESIS,                   ":/tembrix/toolbar/synthesis.png"},
    {ID_CREATE_VOICE_SIGNAL,         ":/tembrix/toolbar/create-voice-signal.png"},
    {ID_SAVE_PROTOCOL,               ":/tembrix/toolbar/save-protocol.png"},
    {ID_SHOW_PHASE_PORTRAIT,         ":/tembrix/toolbar/show-phase-portrait.png"},
};

const KToolBarTemplate kToolBar(IDR_MAINFRAME, {
    ID_RECORD_SOUND, 0,
    ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0,
    ID_SET_SIGMA_FR, 0,
    ID_SHOW_OSCILLOGRAM, ID_SYNC_OSCILLOGRAM_BY_MARKER, ID_TOOLTIP_CONTENT, 0,
    ID_FILM_GREY, ID_FILM_GREY_INVERSE, 0,
    ID_FILM_PHASE_AMPL, ID_FILM_PHASE_FREQ, 0,
    ID_FILM_COLOUR, 0,
    CKTrackOverlays::ID_SHOW_PITCH_TRACK, CKTrackOverlays::ID_SHOW_FORMANT_TRACKS, CKTrackOverlays::ID_TRACK_PARAMETERS, 0,
    ID_SHOW_INSTANT_SPECTRUM, 0,
    ID_RAISE_LOWER_BOUND, ID_LOWER_LOWER_BOUND, ID_LOWER_UPPER_BOUND, ID_RAISE_UPPER_BOUND, ID_DEFAULT_BOUNDS, 0,
    ID_PLAY_WHOLE_FILE, ID_PLAY_SELECTED_FRAGMENT, 0,
    ID_NEW_PHONE_OBJECT, 0,
    ID_DELETE_OR_KEEP_SEGMENT, ID_DELETE_OR_KEEP_BEFORE_CARET, 0,
    ID_LEVEL_POWER, ID_SYNTHESIS, ID_CREATE_VOICE_SIGNAL, ID_SAVE_PROTOCOL, 0,
    ID_SHOW_PHASE_PORTRAIT, 0,
    ID_HELP_FINDER, ID_APP_ABOUT,
});

constexpr UINT kVkF6 = VK_F1 + 5;
const KAcceleratorTemplate kAccelerators(IDR_MAINFRAME, {
    {FVIRTKEY, VK_LEFT, ID_CARET_LEFT},
    {FVIRTKEY, VK_RIGHT, ID_CARET_RIGHT},
    {FVIRTKEY | FSHIFT, VK_LEFT, ID_CARET_LEFT_TEN},
    {FVIRTKEY | FSHIFT, VK_RIGHT, ID_CARET_RIGHT_TEN},
    {FVIRTKEY, VK_UP, ID_CARET_UP},
    {FVIRTKEY, VK_DOWN, ID_CARET_DOWN},
    {FVIRTKEY | FSHIFT, VK_UP, ID_CARET_UP_TEN},
    {FVIRTKEY | FSHIFT, VK_DOWN, ID_CARET_DOWN_TEN},
    {FVIRTKEY, VK_SPACE, ID_PLAY_SELECTED_FRAGMENT},
    {FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},
    {FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN},
    {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
    {FVIRTKEY | FCONTROL, 'P', ID_FILE_PRINT},
    {FVIRTKEY | FCONTROL, 'C', ID_EDIT_COPY},
    {FVIRTKEY | FCONTROL, VK_INSERT, ID_EDIT_COPY},
    {FVIRTKEY | FCONTROL, 'X', ID_EDIT_CUT},
    {FVIRTKEY | FSHIFT, VK_DELETE, ID_EDIT_CUT},
    {FVIRTKEY | FCONTROL, 'V', ID_EDIT_PASTE},
    {FVIRTKEY | FSHIFT, VK_INSERT, ID_EDIT_PASTE},
    {FVIRTKEY | FALT, VK_BACK, ID_EDIT_UNDO},
    {FVIRTKEY, kVkF6, ID_NEXT_PANE},
    {FVIRTKEY | FSHIFT, kVkF6, ID_PREV_PANE},
    {FVIRTKEY, VK_F1, ID_HELP},
    {FVIRTKEY | FSHIFT, VK_F1, ID_CONTEXT_HELP},
});

const KFormTemplate<Ui::KDialogPhoneObjectSetContent> kSetContent(IDD_PHONE_OBJECT_SET_CONTENT);
const KFormTemplate<Ui::KDialogCutWaveFile> kCutWaveFile(IDD_CUT_WAVE_FILE);
const KFormTemplate<Ui::DialogCutSignalBeforeCaret> kCutSignalBeforeCaret(IDD_CUT_SIGNAL_BEFORE_CARET);
const KFormTemplate<Ui::KDialogSetAGC> kSetAGC(IDD_SET_AGC);
const KFormTemplate<Ui::TembrixAboutDlg> kAbout(IDD_ABOUTBOX);

} // namespace
