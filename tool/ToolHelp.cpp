// The help of each command (kavrel COMMAND --help): every option with its
// default and range, and one example. The usage line comes from the
// command's registration; this is what follows it.
#include <cstring>

#include "tool/ToolCommands.h"

namespace {

struct CommandHelp {
    const char* name;
    const char* text;
};

// Shared by the commands that build a film as the workshop does.
#define KAVREL_FILM_OPTIONS                                                                                            \
    "  --nfft N        длина преобразования: 256, 1024 или 4096 (по умолчанию 1024)\n"                                 \
    "  --sigmaf HZ     разрешение по частоте, 0.001 … 1000000 Гц (по умолчанию оптимальное для NFFT,\n"               \
    "                  шаг кадров связан с ним, как в диалоге SigmaFr)\n"                                              \
    "  --channel C     канал стереофайла: 0 левый, 1 правый (по умолчанию 0)\n"
#define KAVREL_FORMAT_OPTION                                                                                           \
    "  --format F      tsv (по умолчанию: текст, как всегда) или json (один объект с теми же числами)\n"

const CommandHelp kHelp[] = {
    {"info", "Параметры звукового файла: каналы, биты, частота, выравнивание блока, число отсчётов,\n"
             "смещение данных.\n" KAVREL_FORMAT_OPTION
             "Пример: kavrel info речь.wav --format json\n"},
    {"samples", "16-битные отсчёты отрезка; вне файла нули.\n"
                "  FIRST           первый отсчёт (может быть отрицательным)\n"
                "  COUNT           число отсчётов, не меньше 0\n"
                "  CHANNEL         канал, 0 … 7 (по умолчанию 0)\n"
                "Пример: kavrel samples речь.wav 44100 10\n"},
    {"spectrum", "Гауссов спектр с центром в отсчёте SAMPLE: строка, частота, уровень в дБ, производная фазы.\n"
                 "  --nfft N        16, 64, 256, 1024, 4096, 16384 или 65536 (по умолчанию 1024)\n"
                 "  --sigmaf HZ     0.001 … 1000000 Гц (по умолчанию: σT в один шаг кадров, (NFFT/2)/5 отсчётов)\n"
                 KAVREL_FORMAT_OPTION
                 "Пример: kavrel spectrum речь.wav 22050 --nfft 4096\n"},
    {"power", "Уровень мощности каждого кадра: кадр, время в секундах, дБ.\n"
              "  --nfft N        16, 64, 256, 1024, 4096, 16384 или 65536 (по умолчанию 1024)\n" KAVREL_FORMAT_OPTION
              "Пример: kavrel power речь.wav --format json > мощность.json\n"},
    {"sonogram", "Картинка сонограммы в PNG: столбец на кадр, строка на спектральную линию. Длинная запись\n"
                 "выходит пронумерованными частями OUT-001.png, OUT-002.png …; существующий файл не\n"
                 "перезаписывается.\n"
                 "  --nfft N        16, 64, 256, 1024 или 4096 (по умолчанию 1024)\n"
                 "  --type T        grey, colour, phase, phasefreq или harmonogram (по умолчанию grey)\n"
                 "  --inverse       инвертировать серую шкалу\n"
                 "  --from S --to S отрезок в секундах (по умолчанию весь файл)\n"
                 "  --width PIXELS  вся запись в этой ширине, столбцы сливаются по максимуму (по умолчанию\n"
                 "                  столбец на кадр)\n"
                 "  --tile-width P  наибольшая ширина одной части, не меньше 1 (по умолчанию 300000)\n"
                 "Пример: kavrel sonogram речь.wav речь.png --type colour --from 1.5 --to 4\n"},
    {"view", "Окно просмотра: кривая мощности над сонограммой всего файла (NFFT 1024).\n"
             "Пример: kavrel view речь.wav\n"},
    {"film", "Фильм нового документа мастерской: частота, каналы, отсчёты, NFFT, SigmaFr, σF, σT, шаг,\n"
             "отсчёт нулевого кадра, число кадров.\n" KAVREL_FILM_OPTIONS KAVREL_FORMAT_OPTION
             "Пример: kavrel film речь.wav --nfft 4096\n"},
    {"make-object", "Первый документ нового звукового объекта над кадрами CADRE0 … CADRE1: .gsr (с .kfw\n"
                    "из нулей рядом), .ocn или .vrn.\n" KAVREL_FILM_OPTIONS
                    "  --name T, --comment T  имя и описание объекта\n"
                    "  --level-change DB      изменение уровня, −110 … 110 дБ (по умолчанию 0)\n"
                    "  --index I              номер объекта (по умолчанию 1)\n"
                    "Пример: kavrel make-object речь.wav 100 400 гласный.gsr --name а\n"},
    {"make-document", "Документ анализа мастерской (.tbx) со звуковыми объектами; файлы объектов рядом с OUT.\n"
                      "  --nfft N, --sigmaf HZ   как у film\n"
                      "  --object C0 C1 TYPE NAME  объект над кадрами C0 … C1; TYPE 0 текст, 1 микрогармоники,\n"
                      "                  2 одна гармоника, 3 голос, 4 реверберация; можно повторять\n"
                      "  --level-change DB       после --object: его изменение уровня, −110 … 110 дБ\n"
                      "  --textgrid IN.TextGrid  объекты из интервалов TextGrid Praat (текстовые, на первом\n"
                      "                  свободном уровне; точечные слои пропускаются)\n"
                      "Пример: kavrel make-document речь.wav речь.tbx --object 40 420 0 \"Фраза 1\"\n"},
    {"textgrid", "Звуковые объекты документа мастерской в новый файл TextGrid Praat: интервальный слой\n"
                 "«Уровень N» на каждый занятый уровень, интервал на объект с его именем, промежутки пустые.\n"
                 "Существующий файл не перезаписывается.\n"
                 "Пример: kavrel textgrid речь.tbx речь.TextGrid\n"},
    {"protocol", "Протокол анализа документа: путь звука и объекты по началу, текст в Windows-1251.\n"
                 "Пример: kavrel protocol речь.tbx протокол.doc\n"},
    {"edit", "Операции мастерской над сигналом, всегда в новый файл OUT.wav.\n" KAVREL_FILM_OPTIONS
             "  cut --select A B [--keep] [--rough]   удалить (или оставить) кадры A … B; без --rough\n"
             "                  с плавным переходом\n"
             "  side --caret C --side left|right      удалить всё слева или справа от кадра C\n"
             "  level [--max-amplitude A] [--frame-rate HZ] [--max-gain DB]  выравнивание мощности:\n"
             "                  A 1 … 32767 (32767), HZ 0.0001 … 100000 (7), DB 0 … 110 (30)\n"
             "  up2 | up4 | down --factor M           частота ×2, ×4 или 1/M (M 2 … 1000); только моно\n"
             "  reverse-cadres [--keep-every K] [--reverse]  из зёрен каждого K-го кадра, K 1 … 100 (1)\n"
             "  cocktail [--additions N] [--seed S]   коктейль, N 1 … 1000000 (1), S — начало генератора\n"
             "Пример: kavrel edit речь.wav громче.wav level --max-gain 20\n"},
    {"synthesize", "Новый звук из звуковых объектов документа мастерской.\n"
                   "Пример: kavrel synthesize речь.tbx синтез.wav\n"},
    {"traces", "Анализ трассировщика: параметры, затем строка на максимум (кадр, строка, статус, A, omega,\n"
               "D, P).\n"
               "  --relative DB   видимы только максимумы не ниже DB дБ под сильнейшим в кадре, 1 … 200\n"
               "  --add-visible   добавить в синтез все видимые следы и сохранить документ\n"
               "  --clear         удалить все следы и сохранить документ\n" KAVREL_FORMAT_OPTION
               "Пример: kavrel traces гласный.gsr --relative 40 --add-visible\n"},
    {"reverb", "Спектр анализатора реверберации: частота, использовано отсчётов, пределы производной фазы.\n"
               "  --table OUT.tsv       строка на линию спектра\n"
               "  --synthetic OUT.wav   синтетический сигнал\n"
               "  --maxima OUT.xls, --minima OUT.xls  списки максимумов и минимумов\n" KAVREL_FORMAT_OPTION
               "Пример: kavrel reverb эхо.vrn --table эхо.tsv\n"},
    {"pirogov", "Статистика функции Пирогова выделенных кадров A … B; таблица значений в OUT.xls.\n"
                "  --cadres-per-frame K  кадров с каждой стороны, 1 … 100000 (по умолчанию около 30 кадров\n"
                "                  функции в секунду)\n"
                "  --low-line L, --high-line H  строки 0 … 511 (по умолчанию строки 300 и 4000 Гц)\n"
                "  --nfft N, --sigmaf HZ, --channel C  как у film (NFFT только 1024)\n" KAVREL_FORMAT_OPTION
                "Пример: kavrel pirogov речь.wav --select 100 900 пирогов.xls\n"},
    {"voice", "Модельный голосовой сигнал в OUT.wav, поля диалога «Моделирование голосового сигнала».\n"
              "  --f0 HZ (100), --t1 X (0.3), --t2 X (0.6), --t3 X (0.7), --a1 X (0.04), --a2 X (0.1)\n"
              "  --noise DB и --chest-a DB (−200), --chest-f HZ (0), --chest-phase X (0)\n"
              "  --df0, --dt1, --dt2, --dt3, --da1, --da2  отклонения (0); пределы — как в диалоге\n"
              "  --correct 0|1   корректировать модель по невязке (0)\n"
              "  --seed N        начало генератора шума и дрожания, 0 … 4294967295\n" KAVREL_FORMAT_OPTION
              "Пример: kavrel voice голос.wav --f0 140 --seed 1\n"},
    {"pitch", "Частота основного тона (автокорреляция, поиск пути по кадрам): строка на кадр — время в\n"
              "секундах, F0 в Гц (--undefined-- в невокализованном кадре), сила выбранного кандидата.\n"
              "Кадры без --step — кадры фильма нового документа мастерской (NFFT 1024), те же, что\n"
              "на кривых окон.\n"
              "  --floor HZ      нижняя граница F0, от 10 Гц и меньше --ceiling (по умолчанию 75); окно\n"
              "                  анализа — три периода этой частоты\n"
              "  --ceiling HZ    верхняя граница F0, до половины частоты дискретизации (по умолчанию 600\n"
              "                  или половина частоты дискретизации, если она меньше)\n"
              "  --step S        кадры через S секунд, в моменты 0, S, 2S … до конца звука, 0.0005 … 10 с\n"
              "                  (по умолчанию кадры фильма)\n"
              "  --channel C     канал стереофайла: 0 левый, 1 правый (по умолчанию 0)\n" KAVREL_FORMAT_OPTION
              "Пример: kavrel pitch речь.wav --floor 60 --ceiling 400 --step 0.01\n"},
    {"formants", "Форманты (линейное предсказание по Бургу): строка на кадр — время в секундах, число\n"
                 "найденных формант, затем частота и полоса каждой, F1 B1 F2 B2 … в Гц (--undefined-- для\n"
                 "не найденной). Кадры без --step — кадры фильма нового документа мастерской (NFFT 1024).\n"
                 "  --max-formant HZ  наибольшая частота формант, 1000 Гц … половина частоты дискретизации\n"
                 "                  (по умолчанию 5500 или половина частоты дискретизации, если она меньше)\n"
                 "  --count N       число формант, 1 … 10 (по умолчанию 5)\n"
                 "  --step S        кадры через S секунд, в моменты 0, S, 2S … до конца звука, 0.0005 … 10 с\n"
                 "                  (по умолчанию кадры фильма)\n"
                 "  --channel C     канал стереофайла: 0 левый, 1 правый (по умолчанию 0)\n" KAVREL_FORMAT_OPTION
                 "Пример: kavrel formants речь.wav --max-formant 5000 --format json > форманты.json\n"},
};

} // namespace

const char* ToolCommandHelp(const char* name)
{
    for (const CommandHelp& h : kHelp)
        if (std::strcmp(h.name, name) == 0)
            return h.text;
    return nullptr;
}
