// The workshop's arithmetic, kept apart from its windows: the level a new
// sound object takes, the texts of the status panes, the time ruler's step,
// the strip's geometry and the measures of the painted background.
#pragma once
#include <vector>

#include "framework/base/CString.h"
#include "kavrel/core/KPhoneObject.h"

// The lowest level that no object strictly overlapping the samples
// [nSelFirst, nSelLast] holds; -1 when all 128 are taken. An object that
// only touches the selection does not block its level.
int LowestFreeLevel(const std::vector<const CKPhoneObject*>& objects, long nSelFirst, long nSelLast);

// The caret frequency pane: the decimals follow the integer part of log10|f|.
CString FormatCaretFrequency(double f);
// The time pane: the caret time, or the selection's length when there is one.
CString FormatSeconds(double t);

// The ruler's tick step in seconds: the first rung of the ladder above s,
// or its last rung. With clock labels the ladder is that of a clock face.
int RulerTickStep(int s, bool bClockLabels);
// A ruler label: "%H:%M:%S" of a time span, or the whole seconds.
CString RulerLabel(int t, bool bClockLabels);

// Sound-object strip geometry: level k is the band 36k+24 .. 36k+48 under
// the 24-pixel time ruler.
constexpr int kRulerHeight = 24;
constexpr int kLevelPitch = 36;
constexpr int kObjectHeight = 24;
inline int PhoneObjectTop(int nLevel) { return kLevelPitch * nLevel + kRulerHeight; }
inline int StripHeight(int nMaxLevel) { return kLevelPitch * nMaxLevel + 60; }

// The part of an object's span [left, right] (client pixels) that a strip of
// nClientWidth pixels shows, kept a few pixels wider so that edges just
// outside stay outside. An object window is only as long as this part: one
// as long as the object would hold a picture as long as the object.
struct KShownSpan {
    int left, right; // client pixels; left == right when nothing is shown
    int hiddenLeft;  // pixels of the object cut off on the left
};
KShownSpan ShownPartOfSpan(long left, long right, int nClientWidth);

// The object's text: "name: comment" on one line.
CString PhoneObjectCaption(const CString& sName, const CString& sComment);

// Measures of the main frame's background for a client of W by H pixels.
struct KBackgroundMetrics {
    int nFontAHeight, nFontAWidth; // credit lines
    int nFontBHeight, nFontBWidth; // the title
    int nFontCHeight, nFontCWidth; // closing line
    int nPenWidth[3];              // thin bright, middle, wide dark
    int xTitle;                    // centre of the title
    int yTitleBottom;              // its baseline's bottom
};
KBackgroundMetrics BackgroundMetrics(int W, int H);
// The decorative decaying sinusoid under the title, as a polyline.
std::vector<std::pair<int, int>> BackgroundSinusoid(int W, int H);
