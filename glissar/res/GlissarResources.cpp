// The tracer's resources: template strings, command prompts and tooltips,
// menu, toolbar, accelerators, dialog forms and the 24 editing cursors.
#include <QDialog>

#include "framework/base/StringTable.h"
#include "framework/ui/CControlBars.h"
#include "framework/ui/CCursor.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CMenu.h"
#include "glissar/GlissarCursors.h"
#include "glissar/GlissarIds.h"
#include "ui_DialogSetToolsSize.h"
#include "ui_GlissarAboutDlg.h"
#include "ui_KDialogPlayOriginalOrSynthetic.h"

namespace {

const KStringResource kTemplate(IDR_GLISSAR_MAINFRAME,
                                "Glissar\nGlissa\nGlissa\nGlissa Files (*.gsr)\n.gsr\nGlissar.Document\nGlissa Document");

// "prompt in the status bar\ntooltip"
const KStringResource kPrompts[] = {
    {ID_GLISSAR_SHOW_TRACES, "Рисовать найденные следы гармоник поверх сонограммы\nПоказывать следы"},
    {ID_GLISSAR_SHOW_ONLY_TRACES, "Рисовать следы гармоник на черном поле без сонограммы\nПоказывать только следы"},
    {ID_GLISSAR_SET_SIGMA_FR, "Новое разрешение по частоте и по времени; все следы будут потеряны\nУстановить SigmaFr"},
    {ID_GLISSAR_SYNC_OSCILLOGRAM,
     "Осциллограмма следует за маркером, а не за курсором\nСинхронизировать осциллограмму по маркеру, а не по курсору"},
    {ID_GLISSAR_ADD_ALL_VISIBLE, "Включить в синтез все следы выше порога видимости\nДобавить все видимые следы"},
    {ID_GLISSAR_REMOVE_ALL, "Исключить из синтеза все следы\nУдалить все следы"},
    {ID_GLISSAR_SHOW_OSCILLOGRAM, "Показать или скрыть окно осциллограммы\nПоказать осциллограмму"},
    {ID_GLISSAR_PHONE_OBJECT_PROPERTIES, "Имя, описание и уровень фонообъекта\nПоказать свойства фонообъекта"},
    {ID_GLISSAR_EDIT_TRACES, "Мышь отмечает следы, а не маркер и фрагмент\nРежим редактирования следов"},
    {ID_GLISSAR_TOOL_ADDS, "Инструмент добавляет след в синтез\nДобивить указанный след"},
    {ID_GLISSAR_TOOL_REMOVES, "Инструмент убирает след из синтеза\nУдалить указанный след"},
    {ID_GLISSAR_FOLLOW_MAXIMA, "Инструмент ведет след по максимумам от кадра к кадру\nРисовать следы, следуя по максимумам"},
    {ID_GLISSAR_QUICK_EDITING, "Синтез пересчитывается, когда кнопка мыши отпущена\nБыстрое редактирование"},
    {ID_GLISSAR_SHOW_ONLY_MARKED,
     "Нижний экран и воспроизведение: синтезированный сигнал вместо остатка\nПоказывать только помеченные следы"},
    {ID_GLISSAR_TOOLS_SIZE, "Ширина инструмента в кадрах\nУстановка размера инструмента"},
    {ID_GLISSAR_PLAY_SCREENS, "Прослушать оригинал или сигнал нижнего экрана\nВоспроизведение сигналов"},
    {ID_FILE_SAVE, "Сохранить следы фонообъекта и синтезированный сигнал\nСохранить"},
    {ID_APP_ABOUT, "Сведения о программе\nО программе"},
    {ID_HELP_FINDER, "Открыть руководство пользователя\nРуководство"},
    {ID_APP_EXIT, "Закрыть программу\nВыход"},
};

const KMenuTemplate kMenu(IDR_GLISSAR_MAINFRAME, {
    KMenuItem("&Файл", {
        KMenuItem("&Сохранить\tCtrl+S", ID_FILE_SAVE),
        KMenuItem::Separator(),
        KMenuItem("Свойства &фонообъекта...", ID_GLISSAR_PHONE_OBJECT_PROPERTIES),
        KMenuItem::Separator(),
        KMenuItem("В&ыход", ID_APP_EXIT),
    }),
    KMenuItem("&Вид", {
        KMenuItem("&Панель инструментов", ID_VIEW_TOOLBAR),
        KMenuItem("&Строка состояния", ID_VIEW_STATUS_BAR),
        KMenuItem::Separator(),
        KMenuItem("Показывать &следы", ID_GLISSAR_SHOW_TRACES),
        KMenuItem("Показывать &только следы", ID_GLISSAR_SHOW_ONLY_TRACES),
        KMenuItem("Показывать только &помеченные следы", ID_GLISSAR_SHOW_ONLY_MARKED),
        KMenuItem::Separator(),
        KMenuItem("Показать &осциллограмму", ID_GLISSAR_SHOW_OSCILLOGRAM),
        KMenuItem("Синхронизировать осциллограмму по &маркеру", ID_GLISSAR_SYNC_OSCILLOGRAM),
    }),
    KMenuItem("&Следы", {
        KMenuItem("&Режим редактирования следов\tCtrl+E", ID_GLISSAR_EDIT_TRACES),
        KMenuItem("&Добавлять указанный след", ID_GLISSAR_TOOL_ADDS),
        KMenuItem("&Удалять указанный след", ID_GLISSAR_TOOL_REMOVES),
        KMenuItem("Следовать по &максимумам", ID_GLISSAR_FOLLOW_MAXIMA),
        KMenuItem("&Быстрое редактирование", ID_GLISSAR_QUICK_EDITING),
        KMenuItem("Размер &инструмента...\tCtrl+T", ID_GLISSAR_TOOLS_SIZE),
        KMenuItem::Separator(),
        KMenuItem("Добавить все &видимые следы", ID_GLISSAR_ADD_ALL_VISIBLE),
        KMenuItem("Удалить &все следы", ID_GLISSAR_REMOVE_ALL),
        KMenuItem::Separator(),
        KMenuItem("Установить &SigmaFr...", ID_GLISSAR_SET_SIGMA_FR),
    }),
    KMenuItem("&Звук", {
        KMenuItem("&Воспроизведение сигналов...\tCtrl+P", ID_GLISSAR_PLAY_SCREENS),
    }),
    KMenuItem("&Справка", {
        KMenuItem("&Руководство пользователя", ID_HELP_FINDER),
        KMenuItem::Separator(),
        KMenuItem("&О программе Glissar...", ID_APP_ABOUT),
    }),
});

// The toolbar's pictures: 16 × 16 files in res/toolbar/, compiled in.
const KToolBarButtonImage kToolBarPictures[] = {
    {ID_GLISSAR_SHOW_TRACES,             ":/glissar/toolbar/show-traces.png"},
    {ID_GLISSAR_SHOW_ONLY_TRACES,        ":/glissar/toolbar/show-only-traces.png"},
    {ID_GLISSAR_SET_SIGMA_FR,            ":/glissar/toolbar/set-sigma-fr.png"},
    {ID_GLISSAR_SYNC_OSCILLOGRAM,        ":/glissar/toolbar/sync-oscillogram.png"},
    {ID_GLISSAR_ADD_ALL_VISIBLE,         ":/glissar/toolbar/add-all-visible.png"},
    {ID_GLISSAR_REMOVE_ALL,              ":/glissar/toolbar/remove-all.png"},
    {ID_GLISSAR_SHOW_OSCILLOGRAM,        ":/glissar/toolbar/show-oscillogram.png"},
    {ID_GLISSAR_PHONE_OBJECT_PROPERTIES, ":/glissar/toolbar/phone-object-properties.png"},
    {ID_GLISSAR_EDIT_TRACES,             ":/glissar/toolbar/edit-traces.png"},
    {ID_GLISSAR_TOOL_ADDS,               ":/glissar/toolbar/tool-adds.png"},
    {ID_GLISSAR_TOOL_REMOVES,            ":/glissar/toolbar/tool-removes.png"},
    {ID_GLISSAR_FOLLOW_MAXIMA,           ":/glissar/toolbar/follow-maxima.png"},
    {ID_GLISSAR_QUICK_EDITING,           ":/glissar/toolbar/quick-editing.png"},
    {ID_GLISSAR_SHOW_ONLY_MARKED,        ":/glissar/toolbar/show-only-marked.png"},
    {ID_GLISSAR_TOOLS_SIZE,              ":/glissar/toolbar/tools-size.png"},
    {ID_GLISSAR_PLAY_SCREENS,            ":/glissar/toolbar/play-screens.png"},
};

const KToolBarTemplate kToolBar(IDR_GLISSAR_MAINFRAME, {
    ID_FILE_SAVE, 0,
    ID_GLISSAR_SHOW_TRACES, ID_GLISSAR_SHOW_ONLY_TRACES, ID_GLISSAR_SHOW_ONLY_MARKED, 0,
    ID_GLISSAR_EDIT_TRACES, ID_GLISSAR_TOOL_ADDS, ID_GLISSAR_TOOL_REMOVES, ID_GLISSAR_FOLLOW_MAXIMA,
    ID_GLISSAR_QUICK_EDITING, ID_GLISSAR_TOOLS_SIZE, 0,
    ID_GLISSAR_ADD_ALL_VISIBLE, ID_GLISSAR_REMOVE_ALL, 0,
    ID_GLISSAR_SET_SIGMA_FR, ID_GLISSAR_SHOW_OSCILLOGRAM, ID_GLISSAR_SYNC_OSCILLOGRAM,
    ID_GLISSAR_PHONE_OBJECT_PROPERTIES, ID_GLISSAR_PLAY_SCREENS, 0,
    ID_APP_ABOUT,
});

const KAcceleratorTemplate kAccelerators(IDR_GLISSAR_MAINFRAME, {
    {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
    {FVIRTKEY | FCONTROL, 'E', ID_GLISSAR_EDIT_TRACES},
    {FVIRTKEY | FCONTROL, 'T', ID_GLISSAR_TOOLS_SIZE},
    {FVIRTKEY | FCONTROL, 'P', ID_GLISSAR_PLAY_SCREENS},
});

const KFormTemplate<Ui::DialogSetToolsSize> kToolsSize(IDD_SET_TOOLS_SIZE);
const KFormTemplate<Ui::KDialogPlayOriginalOrSynthetic> kPlay(IDD_PLAY_ORIGINAL_OR_SYNTHETIC);
const KFormTemplate<Ui::GlissarAboutDlg> kAbout(IDD_GLISSAR_ABOUTBOX);

// The cursors are drawn by code; each becomes a resource of its own.
struct KGlissarCursorResources {
    KGlissarCursorResources()
    {
        for (int add = 0; add < 2; ++add)
            for (int follow = 0; follow < 2; ++follow)
                for (int size = 0; size < 6; ++size) {
                    const KGlissarCursorPicture p = DrawGlissarCursor(add != 0, follow != 0, size);
                    std::vector<const char*> rows;
                    for (const std::string& r : p.Rows)
                        rows.push_back(r.c_str());
                    KCursorResource(IDC_GLISSAR_CURSOR_FIRST + UINT(GlissarCursorIndex(add != 0, follow != 0, size)),
                                    rows, p.xHotSpot, p.yHotSpot);
                }
    }
} kCursors;

} // namespace
