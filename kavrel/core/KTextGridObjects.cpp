#include "kavrel/core/KTextGridObjects.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

namespace {

// The comment a new object gets: not worth a point in Praat.
const char* const kDefaultComment = "Без комментариев";

struct Span {
    const CKPhoneObject* po;
    long first, end; // samples, end one past the last
};

bool isBlankLabel(const std::string& s)
{
    return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

} // namespace

std::string KLevelTierName(int nLevel, int nPart)
{
    std::string name = "Уровень " + std::to_string(nLevel);
    if (nPart > 0)
        name += " (" + std::to_string(nPart + 1) + ")";
    return name;
}

KTextGrid KTextGridOfPhoneObjects(const std::vector<const CKPhoneObject*>& objects, long nRate, long nSizeInSamples)
{
    KTextGrid grid;
    const double rate = double(std::max(1L, nRate));
    grid.xmin = 0;
    grid.xmax = double(std::max(1L, nSizeInSamples)) / rate;

    std::map<int, std::vector<Span>> levels;
    for (const CKPhoneObject* po : objects) {
        if (po->nLevel < 0 || po->nLevel >= kPhoneObjectLevels || po->nFirstSample < 0 ||
            po->nLastSample < po->nFirstSample || po->nFirstSample >= nSizeInSamples)
            continue;
        levels[po->nLevel].push_back({po, po->nFirstSample, std::min<long>(long(po->nLastSample) + 1, nSizeInSamples)});
    }
    for (auto& [level, spans] : levels) {
        std::stable_sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
            return a.first != b.first ? a.first < b.first : a.end < b.end;
        });
        // Each object on the first tier of its level where it begins no
        // earlier than the last sample of the tier's last object.
        std::vector<std::vector<Span>> parts;
        for (const Span& s : spans) {
            auto fits = [&](const std::vector<Span>& part) {
                const Span& back = part.back();
                return s.first >= back.end - 1 && s.first > back.first;
            };
            auto it = std::find_if(parts.begin(), parts.end(), fits);
            if (it == parts.end())
                parts.push_back({s});
            else
                it->push_back(s);
        }
        for (size_t p = 0; p < parts.size(); ++p) {
            std::vector<Span>& part = parts[p];
            for (size_t k = 0; k + 1 < part.size(); ++k)
                part[k].end = std::min(part[k].end, part[k + 1].first);
            KTextGridTier tier;
            tier.name = KLevelTierName(level, int(p));
            tier.xmin = grid.xmin;
            tier.xmax = grid.xmax;
            KTextGridTier comments;
            comments.bIntervals = false;
            comments.name = tier.name + ": комментарии";
            comments.xmin = grid.xmin;
            comments.xmax = grid.xmax;
            long cursor = 0;
            for (const Span& s : part) {
                if (s.first > cursor)
                    tier.intervals.push_back({double(cursor) / rate, double(s.first) / rate, ""});
                tier.intervals.push_back({double(s.first) / rate, double(s.end) / rate, s.po->sName.str()});
                cursor = s.end;
                const CString& c = s.po->sComment;
                if (!c.IsEmpty() && c != kDefaultComment)
                    comments.points.push_back({(double(s.first) + double(s.end)) / 2 / rate, c.str()});
            }
            if (cursor < nSizeInSamples)
                tier.intervals.push_back({double(cursor) / rate, grid.xmax, ""});
            grid.tiers.push_back(std::move(tier));
            if (!comments.points.empty())
                grid.tiers.push_back(std::move(comments));
        }
    }
    return grid;
}

bool KPlaceTextGridObjects(const KTextGrid& grid, const std::vector<const CKPhoneObject*>& existing, long nRate,
                           long nSizeInSamples, KTextGridImport& result, CString& sError)
{
    result = KTextGridImport();
    const double rate = double(std::max(1L, nRate));
    // Sample positions of a sound object are 32-bit.
    const double size = double(std::clamp(nSizeInSamples, 0L, long(INT_MAX)));
    result.dGridDuration = grid.xmax - grid.xmin;
    result.dSoundDuration = double(nSizeInSamples) / rate;

    long labelled = 0;
    for (const KTextGridTier& t : grid.tiers)
        if (t.bIntervals)
            for (const KTextGridInterval& iv : t.intervals)
                labelled += !isBlankLabel(iv.text);
    if (labelled > kMaxTextGridObjects) {
        sError.Format("В TextGrid %ld непустых интервалов, больше %d: столько фонообъектов не добавляется.", labelled,
                      kMaxTextGridObjects);
        return false;
    }

    // The spans on each level, the document's and those placed so far, for
    // the workshop's own rule of a free level.
    std::vector<std::vector<std::pair<long, long>>> levels(kPhoneObjectLevels);
    for (const CKPhoneObject* po : existing)
        if (po->nLevel >= 0 && po->nLevel < kPhoneObjectLevels)
            levels[po->nLevel].push_back({po->nFirstSample, po->nLastSample});
    auto freeLevel = [&](long first, long last) {
        for (int k = 0; k < kPhoneObjectLevels; ++k) {
            const auto& spans = levels[k];
            if (std::none_of(spans.begin(), spans.end(),
                             [&](const std::pair<long, long>& s) { return KSpanBlocksLevel(s.first, s.second, first, last); }))
                return k;
        }
        return -1;
    };

    for (size_t i = 0; i < grid.tiers.size(); ++i) {
        const KTextGridTier& tier = grid.tiers[i];
        if (!tier.bIntervals) {
            result.pointTiers.push_back("«" + tier.name + "» (слой " + std::to_string(i + 1) + ")");
            continue;
        }
        for (const KTextGridInterval& iv : tier.intervals) {
            if (isBlankLabel(iv.text))
                continue;
            // Cut to the sound before rounding, so that no time is too large to round.
            const long first = std::lround(std::clamp(iv.xmin * rate, 0.0, size));
            const long end = std::lround(std::clamp(iv.xmax * rate, 0.0, size));
            if (end <= first) {
                ++result.nOutside;
                continue;
            }
            const int level = freeLevel(first, end - 1);
            if (level < 0) {
                sError.Format("Не удается вставить фонообъект «%s» (%.6g–%.6g с, слой %zu) из-за нехватки уровней\n"
                              "(Все 128 информационных уровня фонообъектов заняты).\n\nФонообъекты из TextGrid не добавлены.",
                              iv.text.c_str(), iv.xmin, iv.xmax, i + 1);
                return false;
            }
            levels[level].push_back({first, end - 1});
            result.objects.push_back({iv.text, int(first), int(end - 1), level});
        }
    }
    return true;
}

CString KTextGridImportReport(const KTextGridImport& result)
{
    CString s;
    if (result.objects.empty()) {
        s = "В TextGrid нет непустых интервалов внутри звукового файла: фонообъекты не добавляются.";
    } else {
        int lo = kPhoneObjectLevels, hi = -1;
        for (const KImportedObject& o : result.objects)
            lo = std::min(lo, o.nLevel), hi = std::max(hi, o.nLevel);
        if (lo == hi)
            s.Format("Фонообъектов из TextGrid (только текст): %zu, на уровне %d.", result.objects.size(), lo);
        else
            s.Format("Фонообъектов из TextGrid (только текст): %zu, на уровнях %d–%d.", result.objects.size(), lo, hi);
    }
    if (!result.pointTiers.empty()) {
        s += "\nТочечные слои (TextTier) не переносятся и пропущены:";
        const size_t shown = std::min<size_t>(result.pointTiers.size(), 10);
        for (size_t k = 0; k < shown; ++k)
            s += CString(k ? ", " : " ") + result.pointTiers[k].c_str();
        if (shown < result.pointTiers.size())
            s.AppendFormat(" и еще %zu", result.pointTiers.size() - shown);
        s += ".";
    }
    if (result.nOutside > 0)
        s.AppendFormat("\nИнтервалов вне звукового файла или короче половины отсчета пропущено: %d.", result.nOutside);
    if (std::fabs(result.dGridDuration - result.dSoundDuration) > 1e-3)
        s.AppendFormat("\nДлительность TextGrid %.6g с, а звукового файла %.6g с.", result.dGridDuration,
                       result.dSoundDuration);
    return s;
}
