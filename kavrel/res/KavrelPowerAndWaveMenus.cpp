// The context menus of the power curve (4104) and of the oscillogram (4109).
#include "framework/ui/AfxIds.h"
#include "framework/ui/CMenu.h"

namespace {
const KMenuTemplate kPowerFilmViewMenu(4104, {
    KMenuItem("Мощность", {
        KMenuItem("Воспроизвести", 36779),
        KMenuItem::Separator(),
        KMenuItem("Диапазон - 10 дБ", 36780),
        KMenuItem("Диапазон - 20 дБ", 36781),
        KMenuItem("Диапазон - 30 дБ", 36782),
        KMenuItem("Диапазон - 40 дБ", 36783),
        KMenuItem("Диапазон - 50 дБ", 36784),
        KMenuItem("Диапазон - 60 дБ", 36785),
        KMenuItem("Диапазон - 70 дБ", 36786),
        KMenuItem("Диапазон - 80 дБ", 36787),
        KMenuItem("Диапазон - 90 дБ", 36788),
        KMenuItem("Диапазон - 100 дБ", 36789),
        KMenuItem("Диапазон - 110 дБ", 36790),
    }),
});

const KMenuTemplate kWaveViewMenu(4109, {
    KMenuItem("Осциллограмма", {
        KMenuItem("Cu&t", ID_EDIT_CUT),
        KMenuItem("&Copy", ID_EDIT_COPY),
        KMenuItem("&Paste", ID_EDIT_PASTE),
        KMenuItem::Separator(),
        KMenuItem("Физические единицы измерения", 36771),
        KMenuItem("Показывать временную протяженность окна", 36772),
        KMenuItem("Показывать размер амплитуды окна", 36773),
        KMenuItem("Показывать положение окна во времени", 36774),
        KMenuItem::Separator(),
        KMenuItem("АРУ", 36775),
        KMenuItem("Изменять длину окна в 2 раза", 36778),
        KMenuItem::Separator(),
        KMenuItem("Показывать кнопку воспроизведения", 36776),
        KMenuItem("Показывать кнопки изменения ширины окна", 36777),
    }),
});
} // namespace
