#include "identityquery.h"

#include "commandreport.h"
#include "hidbackend.h"
#include "protocolcodes.h"

#include <QElapsedTimer>

#include <vector>

namespace IdentityQuery {

QByteArray report(int outputReportLength)
{
    return buildCommandReport(QByteArray(1, char(Code::DeviceInfo)), outputReportLength);
}

std::optional<DeviceInfoReport> answer(const QByteArray &payload)
{
    if (payload.isEmpty() || quint8(payload[0]) != Code::DeviceInfo)
        return std::nullopt;
    return DeviceInfoReport::decode(payload);
}

std::optional<DeviceInfoReport> ask(HidHandle &handle, int deadlineMs)
{
    const HidReportLengths lengths = handle.reportLengths();
    const QByteArray query = report(lengths.output);
    if (query.isEmpty() || lengths.tooLong ||
        handle.write(reinterpret_cast<const std::uint8_t *>(query.constData()), std::size_t(query.size())) < 0)
        return std::nullopt;
    std::vector<std::uint8_t> buffer(std::size_t(lengths.input > 1 ? lengths.input : 65));
    QElapsedTimer waited;
    waited.start();
    for (qint64 left = deadlineMs; left > 0; left = deadlineMs - waited.elapsed()) {
        const int n = handle.read(buffer.data(), buffer.size(), int(left));
        if (n < 0)
            return std::nullopt;
        const int skip = lengths.numbered ? 1 : 0;
        if (n <= skip)
            continue;
        const auto *bytes = reinterpret_cast<const char *>(buffer.data());
        if (auto identity = answer(QByteArray(bytes + skip, n - skip)))
            return identity;
    }
    return std::nullopt;
}

} // namespace IdentityQuery
