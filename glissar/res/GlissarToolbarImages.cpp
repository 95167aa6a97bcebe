// The pictures of the tracer's toolbar buttons (16 x 16, rows of XPM text).
#include "framework/ui/CControlBars.h"
#include "glissar/GlissarIds.h"

namespace {

const std::vector<const char*> kPalette = {
    "  c None",
    "B c #7FA7FF",
    "G c #00A000",
    "b c #0000FF",
    "d c #9F0000",
    "g c #808080",
    "k c #000000",
    "l c #C0C0C0",
    "n c #000080",
    "o c #7F7F00",
    "p c #E0C080",
    "r c #FF0000",
    "s c #404040",
    "w c #FFFFFF",
    "y c #FFFF00"
};

const KToolBarButtonImage kShowTraces(ID_GLISSAR_SHOW_TRACES, kPalette, {
    "                ",
    "gggggggggggggggg",
    "gllllllllllllllg",
    "gllllllllllrrrrg",
    "grlllllllrrllllg",
    "glrrrrrrrllllllg",
    "gllllllllllllllg",
    "gllllllldddddddg",
    "glllllddlllllllg",
    "gdddddlllllllllg",
    "glllllllllrrrrrg",
    "glllrrrrrrlllllg",
    "grrrlllllllllllg",
    "gllllllllllllllg",
    "gggggggggggggggg",
    "                "
});

const KToolBarButtonImage kShowOnlyTraces(ID_GLISSAR_SHOW_ONLY_TRACES, kPalette, {
    "                ",
    "kkkkkkkkkkkkkkkk",
    "kkkkkkkkkkkkkkkk",
    "kkkkkkkkkkkyyyyk",
    "kykkkkkkkyykkkkk",
    "kkyyyyyyykkkkkkk",
    "kkkkkkkkkkkkkkkk",
    "kkkkkkkkrrrrrrrk",
    "kkkkkkrrkkkkkkkk",
    "krrrrrkkkkkkkkkk",
    "kkkkkkkkkkyyyyyk",
    "kkkkyyyyyykkkkkk",
    "kyyykkkkkkkkkkkk",
    "kkkkkkkkkkkkkkkk",
    "kkkkkkkkkkkkkkkk",
    "                "
});

const KToolBarButtonImage kSetSigmaFr(ID_GLISSAR_SET_SIGMA_FR, kPalette, {
    "                ",
    "                ",
    "                ",
    "       nn       ",
    "       nn       ",
    "      n  n      ",
    "      n  n      ",
    "      n  n      ",
    "    rn    nr    ",
    "    rrrrrrrr    ",
    "    r     nr    ",
    "    n      n    ",
    "   n        n   ",
    "nnn          nnn",
    "gggggggggggggggg",
    "                "
});

const KToolBarButtonImage kSyncOscillogram(ID_GLISSAR_SYNC_OSCILLOGRAM, kPalette, {
    "                ",
    "                ",
    "gggggggggggggggg",
    "gwwwwwwwwrrrwwwg",
    "gwwwwGGwwwrwGGwg",
    "gwwwGwGwwwrwGGwg",
    "gwwwGwGwwwrGwwGg",
    "gwwwGwwGwwrGwwGg",
    "gwwGwwwGwwrwwwGg",
    "gwwGwwwGwwrwwwwg",
    "gwGwwwwwGwrwwwwg",
    "gGGwwwwwGGrwwwwg",
    "gwwwwwwwwwrwwwwg",
    "gggggggggggggggg",
    "                ",
    "                "
});

const KToolBarButtonImage kAddAllVisible(ID_GLISSAR_ADD_ALL_VISIBLE, kPalette, {
    "                ",
    "gggggggggggggggg",
    "gllllllllllllllg",
    "glllllllllloooog",
    "gollllllloollllg",
    "glooooooollllllg",
    "gllllllllllllllg",
    "gllllllloooGGoog",
    "gllllloolllGGllg",
    "gooooolllllGGllg",
    "glllllllGGGGGGGg",
    "glllooooGGGGGGGg",
    "gooolllllllGGllg",
    "gllllllllllGGllg",
    "gggggggggggggggg",
    "                "
});

const KToolBarButtonImage kRemoveAll(ID_GLISSAR_REMOVE_ALL, kPalette, {
    "                ",
    "gggggggggggggggg",
    "gllllllllllllllg",
    "glllllllllloooog",
    "gollllrrloolllrr",
    "glooooorrllllrrg",
    "glllllllrrllrrlg",
    "glllllllorrrroog",
    "gllllloollrrlllg",
    "gooooolllrrrrllg",
    "glllllllrroorrog",
    "glllooorrolllrrg",
    "gooollrrllllllrr",
    "gllllllllllllllg",
    "gggggggggggggggg",
    "                "
});

const KToolBarButtonImage kShowOscillogram(ID_GLISSAR_SHOW_OSCILLOGRAM, kPalette, {
    "                ",
    "                ",
    "nnnnnnnnnnnnnnnn",
    "nwwwwwwwwwwwwwwn",
    "nwwwwbwwwwwwwwwn",
    "nwwwbwbwwwwwwwwn",
    "nwwwbwbwwwwwbwwn",
    "nwwwbwwbwwwbwbwn",
    "nblblllbllblllbn",
    "nwbwwwwbwwbwwwwn",
    "nwwwwwwwbwbwwwwn",
    "nwwwwwwwbbwwwwwn",
    "nwwwwwwwwwwwwwwn",
    "nnnnnnnnnnnnnnnn",
    "                ",
    "                "
});

const KToolBarButtonImage kPhoneObjectProperties(ID_GLISSAR_PHONE_OBJECT_PROPERTIES, kPalette, {
    "  gggggggggggg  ",
    "  gwwwwwwwwwwg  ",
    "  gwbbbwwwwwwg  ",
    "  gwbbbnnnnnwg  ",
    "  gwbbbwwwwwwg  ",
    "  gwwwwwwwwwwg  ",
    "  gwnnnnnnnnwg  ",
    "  gwwwwwwwwwwg  ",
    "  gwwwwwwwwwwg  ",
    "  gwnnnnnnnnwg  ",
    "  gwwwwwwwwwwg  ",
    "  gwwwwwwwwwwg  ",
    "  gwnnnnnnnnwg  ",
    "  gwwwwwwwwwwg  ",
    "  gwwwwwwwwwwg  ",
    "  gggggggggggg  "
});

const KToolBarButtonImage kEditTraces(ID_GLISSAR_EDIT_TRACES, kPalette, {
    "                ",
    "                ",
    "                ",
    "            kp  ",
    "           kpk  ",
    "          kpppk ",
    "         kpppk  ",
    "        kpppk   ",
    "       kpppk    ",
    "      kpppk     ",
    "     kpppk      ",
    "    kpppk       ",
    "   kpppk        ",
    "  gkppk         ",
    "  kk k          ",
    "                "
});

const KToolBarButtonImage kToolAdds(ID_GLISSAR_TOOL_ADDS, kPalette, {
    "   GG           ",
    "   GG           ",
    "   GG           ",
    "GGGGGGG     kp  ",
    "GGGGGGG    kpk  ",
    "   GG     kpppk ",
    "   GG    kpppk  ",
    "        kpppk   ",
    "       kpppk    ",
    "      kpppk     ",
    "     kpppk      ",
    "    kpppk       ",
    "   kpppk        ",
    "  gkppk         ",
    "  kk k          ",
    "                "
});

const KToolBarButtonImage kToolRemoves(ID_GLISSAR_TOOL_REMOVES, kPalette, {
    "                ",
    "                ",
    "                ",
    "rrrrrrr     kp  ",
    "rrrrrrr    kpk  ",
    "          kpppk ",
    "         kpppk  ",
    "        kpppk   ",
    "       kpppk    ",
    "      kpppk     ",
    "     kpppk      ",
    "    kpppk       ",
    "   kpppk        ",
    "  gkppk         ",
    "  kk k          ",
    "                "
});

const KToolBarButtonImage kFollowMaxima(ID_GLISSAR_FOLLOW_MAXIMA, kPalette, {
    "                ",
    "                ",
    "                ",
    "                ",
    "         kkk    ",
    "         kkk    ",
    "         kkkrkkk",
    "   kkk   r   kkk",
    "   kkk  r    kkk",
    "   kkkkkk       ",
    "  r   kkk       ",
    "kkk   kkk       ",
    "kkk             ",
    "kkk             ",
    "                ",
    "                "
});

const KToolBarButtonImage kQuickEditing(ID_GLISSAR_QUICK_EDITING, kPalette, {
    "         kkk    ",
    "        kyk     ",
    "        kyk     ",
    "       kyyk     ",
    "      kyyk      ",
    "     kyyk       ",
    "    kyyykkkkk   ",
    "    kyyyyyyk    ",
    "   kkkkkyyk     ",
    "       kyyk     ",
    "      kyyk      ",
    "      kyk       ",
    "      kk        ",
    "      kk        ",
    "     kk         ",
    "     k          "
});

const KToolBarButtonImage kShowOnlyMarked(ID_GLISSAR_SHOW_ONLY_MARKED, kPalette, {
    "gggggggggggggggg",
    "gllllllllllllllg",
    "gllllllllllllllg",
    "glddddddddddddlg",
    "gllllllllllllllg",
    "gllllllllllllllg",
    "gggggggggggggggg",
    "                ",
    "gggggggggggggggg",
    "gkkkkkkkkkkkkkkg",
    "gkkkkkkkyyyyyyyg",
    "gyyyyyyykkkkkkkg",
    "gkkkkkkkkkkkkkkg",
    "gyyyyyyyyyyyyyyg",
    "gkkkkkkkkkkkkkkg",
    "gggggggggggggggg"
});

const KToolBarButtonImage kToolsSize(ID_GLISSAR_TOOLS_SIZE, kPalette, {
    "                ",
    "                ",
    "       rr       ",
    "       rr       ",
    "    k  rr  k    ",
    "   kk  rr  kk   ",
    "  kkk  rr  kkk  ",
    " kkkkkkrrkkkkkk ",
    " kkkkkkrrkkkkkk ",
    "  kkk  rr  kkk  ",
    "   kk  rr  kk   ",
    "    k  rr  k    ",
    "       rr       ",
    "       rr       ",
    "                ",
    "                "
});

const KToolBarButtonImage kPlayScreens(ID_GLISSAR_PLAY_SCREENS, kPalette, {
    "                ",
    "   s            ",
    "   sG           ",
    "   sGGG         ",
    "   sGGGG        ",
    "   sGGGGGG      ",
    "   sGGGGGGG     ",
    "   sGGGGGGGGG   ",
    "   sGGGGGGGGG   ",
    "   sGGGGGGG     ",
    "   sGGGGGG      ",
    "   sGGGG        ",
    "   sGGG         ",
    "   sG           ",
    "   s            ",
    "                "
});

} // namespace
