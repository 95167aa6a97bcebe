#include "pelmora/KModulationTest.h"

#include <numbers>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "framework/base/UserServices.h"
#include "framework/ui/CWinApp.h"

namespace {
} // namespace

double AMDepthInDecibels(double m)
{
    return -20 * std::log10(1 - m);
}

double FMSwingInCents(double m)
{
    return 1200 * std::log2((1 + m) / (1 - m));
}

CString KStimulusFolder()
{
    if (access(".", W_OK) == 0)
        return "./";
    const char* tmp = std::getenv("TMPDIR");
    CString folder = tmp && *tmp ? tmp : "/tmp";
    return folder + "/";
}

CKModulationTest::~CKModulationTest()
{
    Writer.Close();
    if (!sFilePath.IsEmpty())
        std::remove(sFilePath.GetString());
}

void CKModulationTest::SetTest(int nType, int nCarrierHz, double dInitialM, double dStep)
{
    nModulationType = nType;
    nCarrier = nCarrierHz;
    m = dInitialM;
    dStepFactor = dStep;
    // Named after the program, as the stimulus files of every test run are.
    const char* program = AfxGetApp() ? AfxGetApp()->m_pszAppName.GetString() : "Pelmora";
    sFilePath.Format("%s%s_%s_%04i.wav", KStimulusFolder().GetString(), program, TypeName(), nCarrier);
    std::time_t now = std::time(nullptr);
    localtime_r(&now, &LastTrialTime);
}

const char* CKModulationTest::TypeName() const
{
    return nModulationType == KMODULATION_AM ? "AM" : nModulationType == KMODULATION_FM ? "FM" : "NM";
}

short CKModulationTest::StimulusSample(int nType, double fc, double m, long i)
{
    const double t = double(i) / double(nFrADC);
    double s;
    if (nType == KMODULATION_AM) {
        const double e = 32000 * (1 - m * (1 + std::cos(2 * std::numbers::pi * dModulationRate * t)) / 2);
        s = e * std::cos(2 * std::numbers::pi * fc * t);
    } else if (nType == KMODULATION_FM) {
        s = 32000 * std::cos(2 * std::numbers::pi * fc *
                             (t + m * std::sin(2 * std::numbers::pi * dModulationRate * t) / (2 * std::numbers::pi * dModulationRate)));
    } else {
        s = 32000 * std::cos(2 * std::numbers::pi * fc * t);
    }
    return short(s); // towards zero
}

void CKModulationTest::MakeStimulus(int nType, double fc, double m, std::vector<short>& samples)
{
    samples.resize(size_t(nStimulusSamples));
    for (long i = 0; i < nStimulusSamples; ++i)
        samples[size_t(i)] = StimulusSample(nType, fc, m, i);
}

bool CKModulationTest::GenerateStimulus()
{
    CWaitCursor wait;
    std::vector<short> samples;
    MakeStimulus(nModulationType, double(nCarrier), m, samples);
    if (!Writer.Create(sFilePath, (unsigned long)nFrADC, 1)) {
        sError = sFilePath + "\n- не удается открыть этот файл для записи в него звуковой сигнал.";
        return false;
    }
    bool written = Writer.Write(samples.data(), int(samples.size() * sizeof(short)));
    if (!written)
        sError = sFilePath + "\n- не удается записать в этот файл звуковой сигнал.";
    return Writer.Close() && written;
}

bool CKModulationTest::NextLevel()
{
    if (lower < dMinLevel) {
        if (1 - upper >= dMinLevel)
            m = m / dStepFactor;
    } else if (1 - upper < dMinLevel) {
        m = std::min(m * dStepFactor, dMaxLevel);
    } else if (nModulationType == KMODULATION_FM) {
        // The midpoint in cents.
        const double f = std::sqrt(((1 + lower) / (1 - lower)) * ((1 + upper) / (1 - upper)));
        m = (f - 1) / (f + 1);
    } else {
        // The midpoint in dB.
        m = 1 - std::sqrt((1 - upper) * (1 - lower));
    }
    m = std::clamp(m, dMinLevel, dMaxLevel);
    if (!GenerateStimulus()) {
        AfxMessageBox("Неисправимая ошибка - сбой в создании звукового файла.", MB_OK);
        return false;
    }
    return true;
}

void CKModulationTest::ResetBounds()
{
    lower = 0;
    upper = 1;
}

double CKModulationTest::Level() const
{
    return nModulationType == KMODULATION_FM ? FMSwingInCents(m) : AMDepthInDecibels(m);
}

double CKModulationTest::HalfWidth() const
{
    const bool fm = nModulationType == KMODULATION_FM;
    if (1 - upper < dMinLevel)
        return fm ? 1200 : 100;
    if (fm)
        return 600 * std::log2(((1 + upper) / (1 - upper)) / ((1 + lower) / (1 - lower)));
    return -10 * std::log10((1 - upper) / (1 - lower));
}

double CKModulationTest::RelativeError() const
{
    return (upper - lower) / (upper + lower);
}
