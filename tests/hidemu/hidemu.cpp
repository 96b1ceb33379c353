// Emulated HID devices behind the hidapi API, loaded with LD_PRELOAD.
// The emulated module answers the program's command reports, so the program
// runs its whole device path (threads, framing, polling) without hardware.
// HIDEMU_SCENARIO picks the devices, HIDEMU_LOG records opens and writes.

#include <hidapi/hidapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

using Bytes = std::vector<unsigned char>;

constexpr unsigned char kReportId = 0x01;
constexpr size_t kPayload = 64; // bytes after the report ID, both directions

// clang-format off
// Vendor collection, report ID 1, 64-byte input and 64-byte output report.
const unsigned char kModuleDescriptor[] = {
    0x06, 0x00, 0xFF, // Usage Page (vendor 0xFF00)
    0x09, 0x01,       // Usage (1)
    0xA1, 0x01,       // Collection (Application)
    0x85, 0x01,       //   Report ID (1)
    0x15, 0x00,       //   Logical Minimum (0)
    0x26, 0xFF, 0x00, //   Logical Maximum (255)
    0x75, 0x08,       //   Report Size (8)
    0x95, 0x40,       //   Report Count (64)
    0x09, 0x01,       //   Usage (1)
    0x81, 0x02,       //   Input (Data, Var, Abs)
    0x95, 0x40,       //   Report Count (64)
    0x09, 0x02,       //   Usage (2)
    0x91, 0x02,       //   Output (Data, Var, Abs)
    0xC0,             // End Collection
};

// Boot keyboard: no report IDs, 8-byte input, 1-byte LED output.
const unsigned char kKeyboardDescriptor[] = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7,
    0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01,
    0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01,
    0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65,
    0x81, 0x00, 0xC0,
};

// Boot mouse: three buttons, X and Y.
const unsigned char kMouseDescriptor[] = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09,
    0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01,
    0x81, 0x02, 0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30,
    0x09, 0x31, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06,
    0xC0, 0xC0,
};

struct EmuDevice {
    const char *path;
    const wchar_t *product;
    unsigned short vid, pid;
    unsigned short usagePage, usage;
    const unsigned char *descriptor;
    size_t descriptorSize;
    bool isModule;
};

const EmuDevice kKeyboard = {"/emu/hidraw0", L"Emu Keyboard", 0x1111, 0x0001, 0x01, 0x06,
                             kKeyboardDescriptor, sizeof kKeyboardDescriptor, false};
const EmuDevice kModule = {"/emu/hidraw1", L"KLV57", 0x2222, 0x0057, 0xFF00, 0x01,
                           kModuleDescriptor, sizeof kModuleDescriptor, true};
const EmuDevice kMouse = {"/emu/hidraw2", L"Emu Mouse", 0x1111, 0x0002, 0x01, 0x02,
                          kMouseDescriptor, sizeof kMouseDescriptor, false};
// clang-format on

enum class Scenario { Module, NoAccess, NoModule, Faults };

Scenario scenario()
{
    static const Scenario s = [] {
        const char *v = getenv("HIDEMU_SCENARIO");
        const std::string name = v ? v : "module";
        if (name == "noaccess")
            return Scenario::NoAccess;
        if (name == "nomodule")
            return Scenario::NoModule;
        if (name == "faults")
            return Scenario::Faults;
        return Scenario::Module;
    }();
    return s;
}

std::vector<const EmuDevice *> presentDevices()
{
    if (scenario() == Scenario::NoModule)
        return {&kKeyboard, &kMouse};
    return {&kKeyboard, &kModule};
}

// ---- log ------------------------------------------------------------------

std::mutex logMutex;

long long monotonicMicros()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000LL + ts.tv_nsec / 1000;
}

// One write() per line with O_APPEND, so lines stay whole and reach the
// file even if the program is killed.
void logLine(const std::string &text)
{
    static const int fd = [] {
        const char *p = getenv("HIDEMU_LOG");
        return p ? open(p, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    }();
    if (fd < 0)
        return;
    const std::string line = std::to_string(monotonicMicros()) + " " + text + "\n";
    std::lock_guard<std::mutex> lock(logMutex);
    ssize_t ignored = write(fd, line.data(), line.size());
    (void)ignored;
}

std::string hex(const unsigned char *data, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    s.reserve(2 * n);
    for (size_t i = 0; i < n; ++i) {
        s += digits[data[i] >> 4];
        s += digits[data[i] & 15];
    }
    return s;
}

// ---- the module -------------------------------------------------------------

void putLE32(unsigned char *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void putFloat(unsigned char *p, float f)
{
    uint32_t v;
    memcpy(&v, &f, 4);
    putLE32(p, v);
}

float getFloat(const unsigned char *p)
{
    uint32_t v = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
    float f;
    memcpy(&f, &v, 4);
    return f;
}

Bytes factorySensorSettings()
{
    Bytes s(63, 0);
    s[0] = 0x02;
    const int32_t capacity[4] = {1000, 1000, 2000, 5000};
    for (int k = 0; k < 4; ++k) {
        unsigned char *block = &s[1 + 13 * k];
        putLE32(block + 4, static_cast<uint32_t>(capacity[k]));
        putFloat(block + 8, 2.0f);
        block[12] = 1;
    }
    s[53] = 5; // filter level
    s[54] = 1; // fast
    s[55] = 0; // newton
    s[56] = 3; // all four inputs
    putFloat(&s[57], 0.0f);
    return s;
}

Bytes factoryIoSettings()
{
    Bytes s(63, 0);
    s[0] = 0x03;
    s[1] = 2; // 4-20 mA, the module has a current output
    s[2] = 5; // driven by the sum
    putFloat(&s[4], 0.0f);
    putFloat(&s[8], 4000.0f);
    // OUT1 on while the sum > 2000, OUT2 on while input 1 < 100.
    s[13] = 1;
    s[15] = 1;
    s[16] = 5;
    putFloat(&s[17], 2000.0f);
    s[26] = 0;
    s[28] = 1;
    s[29] = 1;
    putFloat(&s[30], 100.0f);
    s[38] = 4; // 115200
    s[39] = 1; // Modbus address
    putFloat(&s[40], 1.002f);
    putFloat(&s[44], 0.998f);
    s[48] = 0; // no parity
    return s;
}

struct Module {
    Bytes sensorSettings = factorySensorSettings();
    Bytes ioSettings = factoryIoSettings();
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    float tare = 0, min = 0, max = 0;
    bool minMaxValid = false;
    unsigned answers = 0, faultCount = 0;

    Bytes frame()
    {
        const double t =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        float in[4];
        for (int k = 0; k < 4; ++k)
            in[k] = static_cast<float>(250.0 * (k + 1) +
                                       40.0 * std::sin(6.2831853 * (0.5 + 0.2 * k) * t));
        float sum = in[0] + in[1] + in[2] + in[3] + getFloat(&sensorSettings[57]) - tare;
        if (!minMaxValid) {
            min = max = sum;
            minMaxValid = true;
        }
        min = std::fmin(min, sum);
        max = std::fmax(max, sum);

        Bytes r(kPayload, 0);
        r[0] = 0x01;
        const bool in1 = static_cast<long>(t) % 2 == 0, out1 = sum > 2000, out2 = in[0] < 100;
        r[1] = static_cast<unsigned char>(in1 | out1 << 2 | out2 << 3);
        putFloat(&r[2], sum);
        putFloat(&r[6], min);
        putFloat(&r[10], max);
        for (int k = 0; k < 4; ++k)
            putFloat(&r[14 + 4 * k], in[k]);
        putFloat(&r[30], 4.0f + 16.0f * std::fmin(std::fmax(sum / 4000.0f, 0.0f), 1.0f));
        return r;
    }

    Bytes info()
    {
        Bytes r(kPayload, 0);
        r[0] = 0x00;
        r[1] = 110;
        const char text[] = "Emulated KLV57 module";
        memcpy(&r[2], text, sizeof text);
        r[62] = 1; // current output
        return r;
    }

    static Bytes ack(unsigned char code)
    {
        Bytes r(kPayload, 0);
        r[0] = code;
        return r;
    }

    static Bytes padded(const Bytes &settings)
    {
        Bytes r = settings;
        r.resize(kPayload, 0);
        return r;
    }

    // Answers to one command report (payload = bytes after the report ID).
    std::vector<Bytes> handle(const unsigned char *p, size_t n)
    {
        if (n == 0)
            return {};
        switch (p[0]) {
        case 0x00:
            return {info()};
        case 0x01:
            return {frame()};
        case 0x02:
            return {padded(sensorSettings)};
        case 0x03:
            return {padded(ioSettings)};
        case 0x8A:
            if (n >= 63)
                std::copy(p + 1, p + 63, sensorSettings.begin() + 1);
            return {ack(0x8A)};
        case 0x8B:
            // Written and reported layouts differ after the Modbus address.
            if (n >= 63) {
                std::copy(p + 1, p + 40, ioSettings.begin() + 1);
                ioSettings[48] = p[40];
            }
            return {ack(0x8B)};
        case 0x91:
            tare += max;
            return {ack(0x91)};
        case 0x93:
            minMaxValid = false;
            return {ack(0x93)};
        case 0x9F:
            sensorSettings = factorySensorSettings();
            return {ack(0x9F)};
        case 0xA0:
            ioSettings = factoryIoSettings();
            return {ack(0xA0)};
        default:
            return {};
        }
    }

    // Broken reports slipped in now and then: cut short, unknown codes, ID only.
    Bytes fault()
    {
        static const std::vector<Bytes> faults = [] {
            Bytes fullUnknown(kPayload, 0xA5);
            fullUnknown[0] = 0x7F;
            return std::vector<Bytes>{
                {0x01},                         // code only
                {0x42},                         // unknown code
                {},                             // nothing after the ID
                {0x01, 0x0F, 0x00, 0x00, 0x80}, // frame cut inside the sum
                fullUnknown,
                {0xEE, 0x55, 0xAA},
                {0x03, 0x01}, // settings report cut short
            };
        }();
        return faults[faultCount++ % faults.size()];
    }
};

// ---- handles ----------------------------------------------------------------

std::mutex mu; // guards everything below
Module module;

} // namespace

struct hid_device_ {
    const EmuDevice *dev;
    bool open = true;
    bool nonblocking = false;
    int readers = 0;           // threads waiting in hid_read_timeout
    bool misuseLogged = false; // once is enough; a spinning caller would flood the log
    std::deque<Bytes> queue;   // whole reports, ID byte first
    std::condition_variable ready;
    std::wstring error;
};

namespace
{

std::vector<hid_device *> handles; // kept for the whole run, see hid_close
std::wstring globalError;

// hidraw hands every input report to every open handle of the node and
// keeps at most 64 unread ones per handle, dropping the oldest.
void deliver(const EmuDevice *dev, const Bytes &payload)
{
    constexpr size_t kQueueLimit = 64;
    Bytes report;
    report.reserve(payload.size() + 1);
    report.push_back(kReportId);
    report.insert(report.end(), payload.begin(), payload.end());
    for (hid_device *h : handles) {
        if (h->open && h->dev == dev) {
            if (h->queue.size() == kQueueLimit)
                h->queue.pop_front();
            h->queue.push_back(report);
            h->ready.notify_all();
        }
    }
}

bool usable(hid_device *dev, const char *what)
{
    if (dev && dev->open)
        return true;
    if (!dev)
        logLine(std::string("misuse ") + what + " on null handle");
    else if (!dev->misuseLogged) {
        dev->misuseLogged = true;
        logLine(std::string("misuse ") + what + " on closed handle " + dev->dev->path);
    }
    return false;
}

wchar_t *wdup(const wchar_t *s)
{
    const size_t n = wcslen(s) + 1;
    auto *copy = static_cast<wchar_t *>(malloc(n * sizeof(wchar_t)));
    wmemcpy(copy, s, n);
    return copy;
}

int copyString(const wchar_t *s, wchar_t *out, size_t maxlen)
{
    if (!out || maxlen == 0)
        return -1;
    wcsncpy(out, s, maxlen);
    out[maxlen - 1] = L'\0';
    return 0;
}

int unsupported(hid_device *dev, const char *what)
{
    logLine(std::string("unsupported ") + what);
    std::lock_guard<std::mutex> lock(mu);
    (dev ? dev->error : globalError) = L"not emulated";
    return -1;
}

} // namespace

extern "C" {

int hid_get_report_descriptor(hid_device *dev, unsigned char *buf, size_t buf_size);

int HID_API_EXPORT HID_API_CALL hid_init(void)
{
    return 0;
}
int HID_API_EXPORT HID_API_CALL hid_exit(void)
{
    return 0;
}

struct hid_device_info HID_API_EXPORT *HID_API_CALL hid_enumerate(unsigned short vendor_id,
                                                                  unsigned short product_id)
{
    logLine("enumerate");
    hid_device_info *first = nullptr, **tail = &first;
    for (const EmuDevice *d : presentDevices()) {
        if ((vendor_id && vendor_id != d->vid) || (product_id && product_id != d->pid))
            continue;
        auto *info = static_cast<hid_device_info *>(calloc(1, sizeof(hid_device_info)));
        info->path = strdup(d->path);
        info->vendor_id = d->vid;
        info->product_id = d->pid;
        info->serial_number = wdup(L"");
        info->release_number = 0x0100;
        info->manufacturer_string = wdup(L"Emu");
        info->product_string = wdup(d->product);
        info->usage_page = d->usagePage;
        info->usage = d->usage;
        info->interface_number = 0;
        info->bus_type = HID_API_BUS_USB;
        *tail = info;
        tail = &info->next;
    }
    return first;
}

void HID_API_EXPORT HID_API_CALL hid_free_enumeration(struct hid_device_info *devs)
{
    while (devs) {
        hid_device_info *next = devs->next;
        free(devs->path);
        free(devs->serial_number);
        free(devs->manufacturer_string);
        free(devs->product_string);
        free(devs);
        devs = next;
    }
}

HID_API_EXPORT hid_device *HID_API_CALL hid_open_path(const char *path)
{
    const EmuDevice *found = nullptr;
    for (const EmuDevice *d : presentDevices())
        if (path && strcmp(path, d->path) == 0)
            found = d;
    const bool ok = found && !(found->isModule && scenario() == Scenario::NoAccess);
    logLine(std::string("open ") + (path ? path : "(null)") + (ok ? " ok" : " fail"));

    std::lock_guard<std::mutex> lock(mu);
    if (!ok) {
        globalError = L"Permission denied";
        return nullptr;
    }
    auto *h = new hid_device_;
    h->dev = found;
    handles.push_back(h);
    return h;
}

// The handle is only marked closed, never freed: a late call through it
// then shows up as a "misuse" line in the log instead of a random crash.
void HID_API_EXPORT HID_API_CALL hid_close(hid_device *dev)
{
    if (!dev)
        return;
    std::lock_guard<std::mutex> lock(mu);
    if (!dev->open) {
        logLine(std::string("misuse close on closed handle ") + dev->dev->path);
        return;
    }
    logLine(std::string("close ") + dev->dev->path);
    if (dev->readers > 0)
        logLine(std::string("misuse close while a read waits on ") + dev->dev->path);
    dev->open = false;
    dev->queue.clear();
    dev->ready.notify_all();
}

int HID_API_EXPORT HID_API_CALL hid_write(hid_device *dev, const unsigned char *data, size_t length)
{
    std::lock_guard<std::mutex> lock(mu);
    if (!usable(dev, "write"))
        return -1;
    logLine("write " + std::string(dev->dev->path) + " " + std::to_string(length) + " " +
            hex(data, length));
    if (!data || length == 0) {
        dev->error = L"Invalid argument";
        return -1;
    }
    if (!dev->dev->isModule || data[0] != kReportId)
        return static_cast<int>(length);

    const size_t payload = std::min(length - 1, kPayload);
    for (const Bytes &answer : module.handle(data + 1, payload)) {
        if (scenario() == Scenario::Faults && module.answers % 7 == 3)
            deliver(dev->dev, module.fault());
        deliver(dev->dev, answer);
        if (scenario() == Scenario::Faults && module.answers % 11 == 5)
            deliver(dev->dev, module.fault());
        ++module.answers;
    }
    return static_cast<int>(length);
}

int HID_API_EXPORT HID_API_CALL hid_read_timeout(hid_device *dev, unsigned char *data,
                                                 size_t length, int milliseconds)
{
    std::unique_lock<std::mutex> lock(mu);
    if (!usable(dev, "read"))
        return -1;
    auto arrived = [dev] { return !dev->queue.empty() || !dev->open; };
    ++dev->readers;
    if (milliseconds < 0)
        dev->ready.wait(lock, arrived);
    else
        dev->ready.wait_for(lock, std::chrono::milliseconds(milliseconds), arrived);
    --dev->readers;
    if (!dev->open)
        return -1;
    if (dev->queue.empty())
        return 0;
    const Bytes report = std::move(dev->queue.front());
    dev->queue.pop_front();
    const size_t n = std::min(length, report.size()); // hidraw cuts to the buffer
    memcpy(data, report.data(), n);
    return static_cast<int>(n);
}

int HID_API_EXPORT HID_API_CALL hid_read(hid_device *dev, unsigned char *data, size_t length)
{
    bool nonblocking;
    {
        std::lock_guard<std::mutex> lock(mu);
        nonblocking = dev && dev->nonblocking;
    }
    return hid_read_timeout(dev, data, length, nonblocking ? 0 : -1);
}

int HID_API_EXPORT HID_API_CALL hid_set_nonblocking(hid_device *dev, int nonblock)
{
    std::lock_guard<std::mutex> lock(mu);
    if (!usable(dev, "set_nonblocking"))
        return -1;
    dev->nonblocking = nonblock != 0;
    return 0;
}

HID_API_EXPORT const wchar_t *HID_API_CALL hid_error(hid_device *dev)
{
    std::lock_guard<std::mutex> lock(mu);
    const std::wstring &e = dev ? dev->error : globalError;
    return e.empty() ? L"Success" : e.c_str();
}

int HID_API_EXPORT_CALL hid_get_product_string(hid_device *dev, wchar_t *string, size_t maxlen)
{
    std::lock_guard<std::mutex> lock(mu);
    if (!usable(dev, "get_product_string"))
        return -1;
    return copyString(dev->dev->product, string, maxlen);
}

int hid_get_report_descriptor(hid_device *dev, unsigned char *buf, size_t buf_size)
{
    std::lock_guard<std::mutex> lock(mu);
    if (!usable(dev, "get_report_descriptor") || !buf)
        return -1;
    const size_t n = std::min(buf_size, dev->dev->descriptorSize);
    memcpy(buf, dev->dev->descriptor, n);
    return static_cast<int>(n);
}

// The rest of the API is not used by the program. Defined so that a stray
// call never reaches the real library with an emulated handle.
HID_API_EXPORT hid_device *HID_API_CALL hid_open(unsigned short, unsigned short, const wchar_t *)
{
    unsupported(nullptr, "open");
    return nullptr;
}
int HID_API_EXPORT HID_API_CALL hid_send_feature_report(hid_device *dev, const unsigned char *,
                                                        size_t)
{
    return unsupported(dev, "send_feature_report");
}
int HID_API_EXPORT HID_API_CALL hid_get_feature_report(hid_device *dev, unsigned char *, size_t)
{
    return unsupported(dev, "get_feature_report");
}
int HID_API_EXPORT HID_API_CALL hid_get_input_report(hid_device *dev, unsigned char *, size_t)
{
    return unsupported(dev, "get_input_report");
}
int HID_API_EXPORT_CALL hid_get_manufacturer_string(hid_device *dev, wchar_t *string, size_t maxlen)
{
    std::lock_guard<std::mutex> lock(mu);
    return usable(dev, "get_manufacturer_string") ? copyString(L"Emu", string, maxlen) : -1;
}
int HID_API_EXPORT_CALL hid_get_serial_number_string(hid_device *dev, wchar_t *string,
                                                     size_t maxlen)
{
    std::lock_guard<std::mutex> lock(mu);
    return usable(dev, "get_serial_number_string") ? copyString(L"", string, maxlen) : -1;
}
int HID_API_EXPORT_CALL hid_get_indexed_string(hid_device *dev, int, wchar_t *, size_t)
{
    return unsupported(dev, "get_indexed_string");
}
struct hid_device_info HID_API_EXPORT *HID_API_CALL hid_get_device_info(hid_device *dev)
{
    unsupported(dev, "get_device_info");
    return nullptr;
}

} // extern "C"
