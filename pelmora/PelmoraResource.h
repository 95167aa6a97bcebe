// The numeric IDs of Pelmora's dialogs and controls.
#pragma once
#include "framework/base/Types.h"

enum : UINT {
    IDD_ABOUTBOX = 100,
    IDD_PELMORA_DIALOG = 102,
    IDM_ABOUTBOX = 16,
    IDD_SET_USER_NAME = 129,
    IDD_AMFM_HEARING_ALL_TESTS = 130,
    IDD_HEARING_TEST_WAVE_FILES = 131,
    IDD_YES_NO_FOR_AM_FM = 132,
    IDD_HEARING_TEST_IN_NOISE = 133,
    IDD_HEARING_TEST_IN_NOISE_SAMPLE = 134,
    IDD_PLAY_WAVE_FILE = 135,

    // The main dialog.
    IDC_SET_USER_NAME = 1000,
    IDC_FIRST_SENSITIVITY = 1001,
    IDC_NOISE_INTELLIGIBILITY = 1002,
    IDC_SECOND_SENSITIVITY = 1003,
    IDC_TARGET_ERROR = 1004,
    IDC_NOISE_START = 1005,
    IDC_NOISE_END = 1006,
    IDC_NOISE_STEP = 1007,
    IDC_RUN_ALL = 1008,
    IDC_RUN_SELECTIVE = 1009,
    IDC_USER_TEXT = 1010,

    // The subject's name and comment.
    IDC_USER_NAME = 1020,
    IDC_USER_COMMENT = 1021,

    // The modulation tests: eight radio buttons in the order AM 125 ... FM 8000.
    IDC_TEST_FIRST = 1100,
    IDC_TEST_LAST = 1107,
    IDC_START_TRIALS = 1110,
    IDC_PLAY_UNMODULATED = 1111,
    IDC_PLAY_MODULATED = 1112,

    // One presentation, and the question after a wrong answer.
    IDC_PRESENTATION_CAPTION = 1120,
    IDC_MEDIA_PLACE = 1121,
    IDC_QUESTION_TEXT = 1122,

    // The noise test.
    IDC_NOISE_ROUND = 1130,
    IDC_NOISE_FINISH = 1131,
    IDC_NOISE_STATUS = 1132,
    IDC_PLAY_MUSIC_1 = 1133,
    IDC_PLAY_MUSIC_2 = 1134,

    // One mix of the noise test: the answer buttons in the order of their codes
    // 1, 2, 9, 3, 4, 10, 11, 12.
    IDC_ANSWER_FIRST = 1140,
    IDC_ANSWER_LAST = 1147,
    IDC_TEXT_SPEECH_1 = 1148,
    IDC_TEXT_SPEECH_2 = 1149,
    IDC_SAMPLE_CAPTION = 1151,

    // The plain playback dialog.
    IDC_PLAY_PATH = 1160,
};
