// The pictures of the analyser's toolbar buttons (16 x 16, XPM text).
#include "framework/ui/CControlBars.h"
#include "vornel/VornelIds.h"

namespace {

const KToolBarButtonImage kWholeSpectrum(ID_VORNEL_WHOLE_SPECTRUM_IN_WINDOW, {
    "16 16 5 1",
    "  c None",
    "g c #808080",
    "k c #000000",
    "w c #FFFFFF",
    "y c #FFFF00",
    "                ",
    "gggggggggggggggg",
    "gkwkkkykkkkkkwkg",
    "gwwwkkykkkkkwwwg",
    "gkwykkykkykkkwkg",
    "gkkykyykkykkkkkg",
    "gkkykyykyykkkkkg",
    "gkyykyykyykykkkg",
    "gkyyyyykyykykkkg",
    "gkyyyyyyyykyykkg",
    "gyyyyyyyyyyyykkg",
    "gyyyyyyyyyyyyykg",
    "gyyyyyyyyyyyyykg",
    "gyyyyyyyyyyyyykg",
    "gggggggggggggggg",
    "                "
});

const KToolBarButtonImage kShowNumbers(ID_VORNEL_SHOW_NUMBERS, {
    "16 16 3 1",
    "  c None",
    "r c #FF0000",
    "y c #C0A000",
    "     r  rrr     ",
    "    rr     r    ",
    "     r   rr     ",
    "     r  r       ",
    "    rrr rrrr    ",
    "     y          ",
    "     y          ",
    "    yyy         ",
    "    yyy         ",
    "    yyy         ",
    "   yyyyy        ",
    "   yyyyy        ",
    "  yyyyyyy    y  ",
    " yyyyyyyyy  yyy ",
    "yyyyyyyyyyyyyyyy",
    "yyyyyyyyyyyyyyyy"
});

const KToolBarButtonImage kJumpToFreq(ID_VORNEL_JUMP_TO_FREQ, {
    "16 16 3 1",
    "  c None",
    "b c #0000FF",
    "n c #000080",
    "                ",
    "            n   ",
    "            n   ",
    "            n   ",
    "            n   ",
    "       b    n   ",
    "        b   n   ",
    "         b  n   ",
    " bbbbbbbbbbbn   ",
    "         b  n   ",
    "        b   n   ",
    "       b    n   ",
    "            n   ",
    "            n   ",
    "            n   ",
    "                "
});

const KToolBarButtonImage kSyntheticWave(ID_VORNEL_CREATE_SYNTHETIC_WAVE, {
    "16 16 3 1",
    "  c None",
    "b c #000080",
    "r c #FF0000",
    "          r   r ",
    "            r   ",
    "           rrr  ",
    "            r   ",
    "          r   r ",
    "                ",
    " bb             ",
    " bbb      b     ",
    "   b     bbb    ",
    "b   b   bb bb   ",
    "b   b   b   bbbb",
    "     b b     bbb",
    "     bbb        ",
    "      b         ",
    "                ",
    "                "
});

const KToolBarButtonImage kSaveMaxima(ID_VORNEL_SAVE_MAXIMA, {
    "16 16 5 1",
    "  c None",
    "g c #808080",
    "l c #A0A0A0",
    "r c #FF0000",
    "w c #FFFFFF",
    " gggggggggggg   ",
    " gwwwwwwwwwwg   ",
    " gwwwwwwwwwwg   ",
    " gwllllllllwg   ",
    " gwwwwwwwwwwg   ",
    " gwwwwwwwwwwg   ",
    " gwllllllllwg   ",
    " gwwwwwwwwwrg   ",
    " gwwwwwwwwrrr   ",
    " gwllllllrrrrr  ",
    " gwwwwwwrrrrrrr ",
    " gwwwwwwwwwwg   ",
    " gwllllllllwg   ",
    " gwwwwwwwwwwg   ",
    " gwwwwwwwwwwg   ",
    " gggggggggggg   "
});

const KToolBarButtonImage kSaveMinima(ID_VORNEL_SAVE_MINIMA, {
    "16 16 5 1",
    "  c None",
    "g c #808080",
    "k c #000000",
    "l c #A0A0A0",
    "w c #FFFFFF",
    " gggggggggggg   ",
    " gwwwwwwwwwwg   ",
    " gwwwwwwwwwwg   ",
    " gwllllllllwg   ",
    " gwwwwwwwwwwg   ",
    " gwwwwwwwwwwg   ",
    " gwllllllllwg   ",
    " gwwwwwwwwwwg   ",
    " gwwwwwwwwwwg   ",
    " gwllllllllwg   ",
    " gwwwwwwkkkkkkk ",
    " gwwwwwwwkkkkk  ",
    " gwlllllllkkk   ",
    " gwwwwwwwwwkg   ",
    " gwwwwwwwwwwg   ",
    " gggggggggggg   "
});

const KToolBarButtonImage kPrint(ID_FILE_PRINT, {
    "16 16 6 1",
    "  c None",
    "d c #C0C0C0",
    "g c #808080",
    "k c #000000",
    "w c #FFFFFF",
    "y c #FFFF00",
    "                ",
    "    gggggggg    ",
    "    gwwwwwwg    ",
    "    gwwwwwwg    ",
    "    gwwwwwwg    ",
    "    gwwwwwwg    ",
    " kkkkkkkkkkkkkk ",
    " kddddddddddddk ",
    " kddddddddddydk ",
    " kddddddddddddk ",
    " kddddddddddddk ",
    " kkkggggggggkkk ",
    "    gwwwwwwg    ",
    "    gwwwwwwg    ",
    "    gggggggg    ",
    "                "
});

} // namespace
