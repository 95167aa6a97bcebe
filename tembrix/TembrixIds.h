// Resource and command numbers of the workshop: its frames, menus, dialogs,
// status panes and every command of the main frame, the document and the views.
#pragma once
#include "framework/ui/WinTypes.h"

enum : UINT {
    IDR_MAINFRAME = 128,       // main frame: menu without a document, toolbar, accelerators
    IDR_TEMBRIXTYPE = 129,     // the document template: its menu and document string
    IDD_ABOUTBOX = 100,        // "About Tembrix"
    IDC_ABOUT_KN = 3027,       // name line of the library's identity
    IDC_ABOUT_KP = 3028,       // phone line
    IDC_ABOUT_KM = 3029,       // e-mail line

    IDS_TIME = 130,            // "время": status pane of the caret time or selection length
    IDS_FREQUENCY = 131,       // "частота": status pane of the caret frequency
    IDS_POWER = 132,           // "мощность"
    ID_INDICATOR_TIME = 130,
    ID_INDICATOR_FREQUENCY = 131,

    IDR_PHONE_OBJECT_MENU = 2101, // context menu of a sound-object window
    IDR_TEMBRIX_VIEW_MENU = 2102, // context menu of the strip

    IDD_PHONE_OBJECT_SET_CONTENT = 2131, // "Описание фонообъекта"
    IDC_SET_CONTENT_TYPE_TEXT = 3001,    // radio group of the type, in order 0..4
    IDC_SET_CONTENT_TYPE_MICRO = 3002,
    IDC_SET_CONTENT_TYPE_SINGLE = 3003,
    IDC_SET_CONTENT_TYPE_VOICE = 3004,
    IDC_SET_CONTENT_NAME = 3011,
    IDC_SET_CONTENT_COMMENT = 3012,
    IDC_SET_CONTENT_TYPE_REVERB = 3013,
    IDC_SET_CONTENT_LEVEL_TEXT = 3018,
    IDC_SET_CONTENT_SPIN = 3019,
    IDC_SET_CONTENT_AMPLIFY = 3030,      // "Усилить до предела"
    IDC_SET_CONTENT_ATTENUATE = 3031,    // "Услабить до предела"

    IDD_CUT_WAVE_FILE = 2136,            // "Уточнения": delete or keep the selected segment
    IDC_CUT_DELETE = 3032,               // radio group of what, in order 0..1
    IDC_CUT_KEEP = 3033,
    IDC_CUT_ROUGH = 3039,                // radio group of the quality, in order 0..1
    IDC_CUT_CAREFUL = 3040,
    IDD_CUT_SIGNAL_BEFORE_CARET = 2137,  // "Удаление части сигнала"
    IDC_CUT_SIDE_LEFT = 3041,            // radio group of the side, in order 0..1
    IDC_CUT_SIDE_RIGHT = 3042,
    IDD_SET_AGC = 2139,                  // "Нормирование уровня мощности всего сигнала"
    IDC_AGC_MAX_AMPLITUDE = 3046,
    IDC_AGC_MAX_AMPLITUDE_SPIN = 3047,
    IDC_AGC_MAX_AMPLITUDE_DB = 3048,
    IDC_AGC_FRAME_RATE = 3049,
    IDC_AGC_MAX_FRAME_GAIN = 3050,
    IDD_SET_DOWNSAMPLING = 2140,         // "Во сколько раз снизить частоту АЦП?"
    IDC_DOWNSAMPLING_FACTOR = 3051,
    IDC_DOWNSAMPLING_SPIN = 3052,
    IDC_DOWNSAMPLING_OLD_RATE = 3053,
    IDC_DOWNSAMPLING_NEW_RATE = 3054,
    IDD_REVERSE_CADRES = 2143,           // "Какие кадры оставлять? И переворачивать ли их?"
    IDC_REVERSE_KEEP_EVERY = 3065,
    IDC_REVERSE_SPIN = 3067,
    IDC_REVERSE_CHECK = 3070,
    IDD_MAKE_WAVE_COCKTAIL = 2145,       // "Создание коктейля из этого звука"
    IDC_COCKTAIL_ADDITIONS = 3083,
    IDC_COCKTAIL_SPIN = 3084,
};

// Commands of the main frame, the document and the views.
enum : UINT {
    ID_SET_SIGMA_FR = 34771,
    ID_PLAY_WHOLE_FILE = 34772,
    ID_PLAY_SELECTED_FRAGMENT = 34773,
    ID_SHOW_OSCILLOGRAM = 34774,
    ID_NEW_PHONE_OBJECT = 34776,
    ID_DELETE_PHONE_OBJECT = 34777,
    ID_CARET_LEFT = 34779,
    ID_CARET_UP_TEN = 34780,
    ID_CARET_LEFT_TEN = 34781,
    ID_CARET_RIGHT_TEN = 34782,
    ID_SYNC_OSCILLOGRAM_BY_MARKER = 34783,
    ID_PHONE_OBJECT_PROPERTIES = 34786,
    ID_SYNTHESIS = 34787,
    ID_CARET_UP = 34788,
    ID_CARET_DOWN = 34789,
    ID_CARET_DOWN_TEN = 34790,
    ID_CARET_RIGHT = 34791,
    ID_SAVE_PROTOCOL = 34793,
    ID_DIFFERENTIATE = 34795,
    ID_RECORD_SOUND = 34796,
    ID_RULER_IN_SECONDS = 34799,
    ID_DELETE_OR_KEEP_SEGMENT = 34823,
    ID_PAPER_COLOURS = 34824,
    ID_TOOLTIP_CONTENT = 34825,
    ID_SHOW_INSTANT_SPECTRUM = 34826,
    ID_SHOW_PHASE_PORTRAIT = 34832,
    ID_DELETE_OR_KEEP_BEFORE_CARET = 34834,
    ID_LEVEL_POWER = 34835,
    ID_UPSAMPLE_2 = 34839,
    ID_UPSAMPLE_4 = 34840,
    ID_DOWNSAMPLE = 34841,
    ID_FILM_GREY = 34842,
    ID_FILM_GREY_INVERSE = 34843,
    ID_FILM_COLOUR = 34844,
    ID_FILM_PHASE_AMPL = 34847,
    ID_FILM_PHASE_FREQ = 34849,
    ID_RAISE_LOWER_BOUND = 34860,
    ID_RAISE_UPPER_BOUND = 34861,
    ID_LOWER_LOWER_BOUND = 34862,
    ID_LOWER_UPPER_BOUND = 34863,
    ID_DEFAULT_BOUNDS = 34864,
    ID_REVERSE_CADRES = 34877,
    ID_CREATE_VOICE_SIGNAL = 34878,
    ID_PIROGOV_FUNCTION = 34880,
    ID_SOUND_COCKTAIL = 34881,
    // Sound objects to and from Praat's TextGrid (File menu).
    ID_EXPORT_TEXTGRID = 34890,
    ID_IMPORT_TEXTGRID = 34891,
};
