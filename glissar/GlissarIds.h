// Resource numbers of the tracer program: its frame, dialogs, controls and
// cursors. The document's commands are declared with the document.
#pragma once
#include "glissar/doc/GlissarDoc.h"

enum : UINT {
    IDR_GLISSAR_MAINFRAME = 128,     // menu, toolbar, accelerators, template strings
    IDD_GLISSAR_ABOUTBOX = 100,

    IDD_SET_TOOLS_SIZE = 6140,       // "Размер инструментов"
    IDC_TOOLS_SIZE_COMBO = 6141,

    IDD_PLAY_ORIGINAL_OR_SYNTHETIC = 6143, // "Воспроизведение экранов"
    IDC_PLAY_ORIGINAL = 6144,        // "Верхний экран (оригинал)"
    IDC_PLAY_SYNTHETIC = 6145,       // "Нижний экран (синтез)"
    IDC_PLAY_STOP = 6146,            // "Стоп"
    IDC_PLAY_CLIP_TEXT = 6147,       // the clip count after "Переполнения ="
    IDC_PLAY_GAIN_FIRST = 6150,      // "+0 дБ" … "+84 дБ": 6150 … 6164

    IDC_GLISSAR_CURSOR_FIRST = 6200, // the 24 editing cursors, by GlissarCursorIndex
};
