#include "framework/base/MciService.h"
#include "framework/base/ServiceSlot.h"

namespace {

// Without a sound layer there is no device to open.
class CNoMciService : public IMciService {
public:
    MCIERROR Open(const CString&, const CString&, MCIDEVICEID* pDeviceID) override
    {
        if (pDeviceID)
            *pDeviceID = 0;
        return MCIERR_DEVICE_NOT_INSTALLED;
    }
    MCIERROR SetTimeFormat(MCIDEVICEID, DWORD) override { return MCIERR_INVALID_DEVICE_ID; }
    MCIERROR StatusLength(MCIDEVICEID, DWORD*) override { return MCIERR_INVALID_DEVICE_ID; }
    MCIERROR PlayWait(MCIDEVICEID, DWORD, DWORD) override { return MCIERR_INVALID_DEVICE_ID; }
    MCIERROR Close(MCIDEVICEID) override { return MCIERR_INVALID_DEVICE_ID; }
};

constinit KServiceSlot<IMciService, CNoMciService> g_service;

} // namespace

bool IMciService::GetErrorString(MCIERROR error, CString& text)
{
    return GetMciErrorText(error, text);
}

IMciService& MciService()
{
    return g_service.Get();
}

IMciService* SetMciService(IMciService* service)
{
    return g_service.Set(service);
}

bool GetMciErrorText(MCIERROR error, CString& text)
{
    const char* s = nullptr;
    switch (error) {
    case MCIERR_INVALID_DEVICE_ID:
        s = "Неверный идентификатор устройства MCI.";
        break;
    case MCIERR_HARDWARE:
        s = "Ошибка звукового оборудования.";
        break;
    case MCIERR_INVALID_DEVICE_NAME:
        s = "Указанное устройство не открыто или не распознано системой MCI.";
        break;
    case MCIERR_OUT_OF_MEMORY:
        s = "Недостаточно памяти для выполнения этой операции.";
        break;
    case MCIERR_UNSUPPORTED_FUNCTION:
        s = "Драйвер устройства MCI не поддерживает эту команду.";
        break;
    case MCIERR_FILE_NOT_FOUND:
        s = "Указанный файл не найден. Проверьте правильность пути и имени файла.";
        break;
    case MCIERR_OUTOFRANGE:
        s = "Указанное значение вне допустимого диапазона.";
        break;
    case MCIERR_BAD_TIME_FORMAT:
        s = "Указанный формат времени не поддерживается.";
        break;
    case MCIERR_INVALID_FILE:
        s = "Файл повреждён или имеет неподдерживаемый формат.";
        break;
    case MCIERR_DEVICE_NOT_INSTALLED:
        s = "Устройство воспроизведения звука не установлено в системе.";
        break;
    case MCIERR_WAVE_OUTPUTSINUSE:
        s = "Все устройства воспроизведения звука заняты. Повторите попытку позже.";
        break;
    case MCIERR_WAVE_OUTPUTSUNSUITABLE:
        s = "Ни одно из устройств воспроизведения звука не может воспроизвести файл в этом формате.";
        break;
    default:
        return false;
    }
    text = s;
    return true;
}
