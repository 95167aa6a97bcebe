// Resource numbers of the reverberation analyser: its frame, status texts,
// dialogs and controls. The document's commands are declared with the document.
#pragma once
#include "vornel/doc/VornelDoc.h"

enum : UINT {
    IDR_VORNEL_MAINFRAME = 128,   // menu, toolbar, accelerators, template strings
    IDS_VORNEL_FREQUENCY = 129,   // "Частота", status pane 1
    IDS_VORNEL_POWER = 130,       // "Мощность", status pane 2
    IDS_VORNEL_PHASE = 131,       // "Фаза", status pane 3
    IDD_VORNEL_ABOUTBOX = 100,

    ID_VORNEL_JUMP_TO_FREQ = 32776, // "Прыгнуть на частоту" (the frame's)

    IDD_JUMP_TO_FREQ = 8130,        // "Прыжок на частоту"
    IDC_JUMP_FREQ = 8131,           // "Желаемая частота в герцах"
    IDC_JUMP_REAL_FREQ = 8132,      // the text after "Реальная частота "
};
