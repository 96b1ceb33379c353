#include "commandreport.h"

#include "protocolcodes.h"

QByteArray buildCommandReport(const QByteArray &payload, int outputReportLength)
{
    if (outputReportLength < 2)
        return {};
    QByteArray report(outputReportLength, '\0');
    report[0] = char(ModuleReportId);
    int count = std::min<int>(payload.size(), outputReportLength - 1);
    std::copy_n(payload.constData(), count, report.data() + 1);
    return report;
}
