// The context menus of the film's floating windows: the instant spectrum
// and the phase portrait.
#include "framework/ui/AfxIds.h"
#include "framework/ui/CMenu.h"

#include <string>
#include <vector>

namespace {

std::vector<KMenuItem> SlopeItems(int from, int to)
{
    std::vector<KMenuItem> items;
    for (int slope = from; slope <= to; slope += 2) {
        const UINT id = slope == 0 ? 36846 : UINT(36847 + slope / 2);
        items.emplace_back(std::to_string(slope).c_str(), id);
    }
    return items;
}

std::vector<KMenuItem> RangeItems()
{
    std::vector<KMenuItem> items;
    for (int range = 1; range <= 12; ++range)
        items.emplace_back((std::to_string(range * 10) + " дБ").c_str(), UINT(36816 + range));
    return items;
}

const KMenuTemplate kSpectrumViewMenu(4112, {
    KMenuItem("Спектр", {
        KMenuItem("Диапазон амплитуды", RangeItems()),
        KMenuItem::Separator(),
        KMenuItem("Показывать линии возможного спада спектра", 36839),
        KMenuItem("Выбранная скорость спада спектра [дБ/окт]", {
            KMenuItem("0 - 20", SlopeItems(0, 20)),
            KMenuItem("20 - 40", SlopeItems(20, 40)),
        }),
    }),
});

// The edit items have no handlers in the portrait: the menu shows them grey.
const KMenuTemplate kPhasePortraitMenu(4113, {
    KMenuItem("Фазовый портрет", {
        KMenuItem("Cu&t", ID_EDIT_CUT),
        KMenuItem("&Copy", ID_EDIT_COPY),
        KMenuItem("&Paste", ID_EDIT_PASTE),
        KMenuItem::Separator(),
        KMenuItem("Предсказание на 2 кадра вперед и назад", 36830),
    }),
});

} // namespace
