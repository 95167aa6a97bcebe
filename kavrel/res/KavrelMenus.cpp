// The library's menus, under their numeric IDs.
#include "framework/ui/CMenu.h"

namespace {
// The sonogram's context menu.
const KMenuTemplate kWaveFilmViewMenu(4105, {
    KMenuItem("Сонограмма", {
        KMenuItem("Настройка спектрального фильма ...", 36791),
        KMenuItem::Separator(),
        KMenuItem("Воспроизвести", 36779),
        KMenuItem("Воспроизвести фрагмент ...", 36802),
        KMenuItem::Separator(),
        KMenuItem("Какие параметры показывать у курсора ...", 36816),
        KMenuItem::Separator(),
        KMenuItem("Показывать оси частот в герцах", 36814),
        KMenuItem::Separator(),
        KMenuItem("15-ти битовая видеомода", 36812),
        KMenuItem::Separator(),
        KMenuItem("Пересчитать все спектры", 36829),
        KMenuItem("Показывать локальные максимумы сонограммы", 36834),
    }),
});
} // namespace
