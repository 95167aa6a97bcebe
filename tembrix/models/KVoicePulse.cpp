#include "tembrix/models/KVoicePulse.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <numbers>

#include "framework/base/Mmio.h"
#include "framework/base/UserServices.h"
#include "framework/base/WaveFormat.h"

namespace {
constexpr double pi = std::numbers::pi;
// Periods that keep failing mean the means themselves contradict each other:
// drawing again would never end.
constexpr int kMaxFailedDraws = 1000;
} // namespace

CKVoicePulse::CKVoicePulse()
{
    BuildPulse(Params, false);
}

bool CKVoicePulse::BuildPulse(const KVOICE_MODEL_PARAMS& R, bool bCorrect)
{
    if (!R.IsConsistent() || !(R.F0 > 0))
        return false;
    const double period = double(kFs) / R.F0;
    if (!(period >= 1) || period > kSignalSamples)
        return false;
    const int n = int(period);
    if (!Pulse.SetSize(n) || !Flow.SetSize(n)) {
        AfxMessageBox("Не хватило памяти для создания модели голосового импульса!\nЗакройте всё приложение!");
        c = 0;
        return false;
    }
    Params = R;
    Params.OpeningExponent = kOpeningExponent;
    bCorrectByResidual = bCorrect;
    c = n;
    i1 = int(c * R.T1 + 0.5);
    i2 = int(c * R.T2 + 0.5);
    i3 = int(c * R.T3 + 0.5);
    double* P = Pulse.pArray;
    double* F = Flow.pArray;
    for (int i = 0; i < c; ++i) {
        if (i < i1)
            P[i] = R.A1 * std::pow(std::sin(pi * i / (2.0 * i1)), kOpeningExponent);
        else if (i < i2)
            P[i] = (R.A1 + R.A2) * std::cos(pi * (i - i1) / (2.0 * (i2 - i1))) - R.A2;
        else if (i < i3)
            P[i] = -R.A2 * std::pow(double(i3 - i) / double(i3 - i2), 2);
        else
            P[i] = 0.0;
    }
    F[0] = 0.0;
    for (int i = 1; i < c; ++i)
        F[i] = i < i3 ? F[i - 1] + P[i] : 0.0;
    for (int j = 1; j < c; ++j)
        F[j] /= j;
    return true;
}

double VoiceModelUniform()
{
    // The platform's generator gave 15 bits; ours may give more.
    return double(std::rand() & 0x7FFF) / 32767.0;
}

KVOICE_MODEL_PARAMS DrawJitteredParams(const KVOICE_MODEL_PARAMS& R)
{
    KVOICE_MODEL_PARAMS p = R;
    auto jitter = [](double mean, double d) { return mean * (1 + (VoiceModelUniform() - 0.5) * 2 * d); };
    p.F0 = jitter(R.F0, R.dF0);
    p.T1 = jitter(R.T1, R.dT1);
    p.T2 = jitter(R.T2, R.dT2);
    p.T3 = jitter(R.T3, R.dT3);
    p.A1 = jitter(R.A1, R.dA1);
    p.A2 = jitter(R.A2, R.dA2);
    return p;
}

bool GenerateVoiceSignal(CKVoicePulse& model, const KVOICE_MODEL_PARAMS& R, std::vector<short>& samples,
                         std::vector<int>* pPeriods)
{
    constexpr int N = CKVoicePulse::kSignalSamples;
    std::unique_ptr<short[]> psSignal(new (std::nothrow) short[N]());
    if (!psSignal) {
        AfxMessageBox("Не хватило оперативной памяти для psSignal");
        return false;
    }
    std::unique_ptr<double[]> pdSignal(new (std::nothrow) double[N]());
    if (!pdSignal) {
        AfxMessageBox("Не хватило оперативной памяти для pdSignal");
        return false;
    }
    const double a_n = std::pow(10.0, model.Params.Noise_dB / 20) * model.Params.A2;
    const double a_c = std::pow(10.0, model.Params.ChestA_dB / 20) * model.Params.A2;
    long t = 0;
    double peak = -1;
    int failed = 0;
    bool bTold = false;
    if (pPeriods)
        pPeriods->clear();
    while (model.c > 0 && t + 3L * model.c < N) {
        const KVOICE_MODEL_PARAMS p = DrawJitteredParams(R);
        if (!model.BuildPulse(p, model.bCorrectByResidual)) {
            // Once is enough: a wide jitter may fail many periods of one file.
            if (!bTold)
                AfxMessageBox("В процессе генерации сигнала встретились противоречивые входные параметры модели.");
            bTold = true;
            if (++failed >= kMaxFailedDraws)
                return false;
            continue;
        }
        failed = 0;
        const int c = model.c;
        if (t + c > N)
            break;
        const double* P = model.Pulse.pArray;
        const double* F = model.Flow.pArray;
        for (int i = 0; i < c; ++i) {
            const double v = P[i] + (VoiceModelUniform() - 0.5) * 2 * F[i] * a_n +
                             std::cos(2 * pi * double(t + i) * R.ChestF / CKVoicePulse::kFs + R.ChestPhase) * F[i] *
                                 a_c;
            pdSignal[t + i] = v;
            peak = std::max(peak, std::fabs(v));
        }
        if (pPeriods)
            pPeriods->push_back(c);
        t += c;
    }
    samples.assign(size_t(N), 0);
    // A silent model (A1 = A2 = 0) has no peak to scale by: it stays silent.
    if (peak > 0)
        for (int k = 0; k < N; ++k)
            samples[size_t(k)] = short(std::trunc(pdSignal[k] * 32000 / peak));
    return true;
}

bool WriteVoiceSignalFile(const CString& sPath, const std::vector<short>& samples)
{
    MMIOINFO info;
    HMMIO h = mmioOpen(sPath, &info, MMIO_CREATE | MMIO_WRITE);
    if (!h) {
        AfxMessageBox("Не удается открыть файл с генерируемым сигналом");
        return false;
    }
    bool ok = false;
    MMCKINFO ckRiff, ckFmt, ckData;
    ckRiff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ckFmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
    ckFmt.cksize = 18;
    ckData.ckid = mmioFOURCC('d', 'a', 't', 'a');
    const WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, CKVoicePulse::kFs, 2 * CKVoicePulse::kFs, 2, 16, 0};
    const LONG nBytes = LONG(samples.size() * sizeof(short));
    const MMRESULT riff = mmioCreateChunk(h, &ckRiff, MMIO_CREATERIFF);
    if (riff != MMSYSERR_NOERROR) {
        AfxMessageBox(riff == MMIOERR_CANNOTWRITE  ? "Не удается записать chuck RIFF"
                      : riff == MMIOERR_CANNOTSEEK ? "Не удается найти chuck RIFF"
                                                   : "Не удается создать chuck RIFF");
    } else if (mmioCreateChunk(h, &ckFmt, 0) != MMSYSERR_NOERROR) {
        AfxMessageBox("Не удается создать chuck fmt_");
    } else if (mmioWrite(h, &format, 18) != 18) {
        AfxMessageBox("Не удается записать PCMWAVEFORMAT");
    } else if (mmioAscend(h, &ckFmt, 0) != MMSYSERR_NOERROR ||
               mmioCreateChunk(h, &ckData, 0) != MMSYSERR_NOERROR) {
        AfxMessageBox("Не удается создать chuck data");
    } else {
        ok = mmioWrite(h, samples.data(), nBytes) == nBytes;
        if (!ok)
            AfxMessageBox("Не удается записать самодельный буфер");
        if (mmioAscend(h, &ckData, 0) != MMSYSERR_NOERROR) {
            AfxMessageBox("Не удается подняться из chunk data");
            ok = false;
        } else if (mmioAscend(h, &ckRiff, 0) != MMSYSERR_NOERROR) {
            AfxMessageBox("Не удается подняться из chunk WAVE");
            ok = false;
        }
    }
    ok = mmioClose(h, 0) == MMSYSERR_NOERROR && ok;
    // A cut-off file is not left behind as if it were the signal.
    if (!ok)
        std::remove(sPath);
    return ok;
}
