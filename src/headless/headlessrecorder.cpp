#include "headlessrecorder.h"

#include "devicelisting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The file's open problem, before any frame: a wrong directory is told at
// once, not at the first record, which may be a minute away. A file that was
// not there is not left behind, as the page leaves none before a record.
QString appendProblem(const QString &path)
{
    const bool existed = QFileInfo::exists(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    file.close();
    if (!existed)
        file.remove();
    return {};
}

} // namespace

HeadlessRecorder::HeadlessRecorder(HidBackend &backend, const RecordingChoices &choices,
                                   const QString &device, QObject *parent)
    : QObject(parent), m_choices(choices), m_module(makeModuleSession(backend))
{
    if (!device.isEmpty())
        m_module->chooseModule({device, true});
    connect(&m_module->protocol(), &DeviceProtocol::frameStored, this,
            [this] { m_session.frameStored(m_choices, m_module->protocol().liveValues()); });
    connect(&m_session, &RecordingSession::failed, this, &HeadlessRecorder::onFailed);
    connect(&m_module->link(), &DeviceLink::accessProblemChanged, this,
            &HeadlessRecorder::accessProblemChanged);
}

HeadlessRecorder::~HeadlessRecorder()
{
    m_module->shutDown();
}

bool HeadlessRecorder::start()
{
    if (m_choices.path.isEmpty()) {
        m_session.switchOnWithoutFile();
        return true;
    }
    m_error = appendProblem(m_choices.path);
    if (!m_error.isEmpty())
        return false;
    m_session.switchOn();
    return true;
}

bool HeadlessRecorder::finish()
{
    m_session.switchOff();
    return m_error.isEmpty();
}

void HeadlessRecorder::onFailed(const QString &errorString)
{
    m_error = errorString;
    emit failed(errorString);
}

QString HeadlessRecorder::inUseText(const HidOpenProblem &problem)
{
    return QStringLiteral("the module at %1 is in use by %2")
        .arg(problem.node, holderText(problem.holderPid, problem.holderProgram));
}

QString HeadlessRecorder::connectionText() const
{
    if (const ListedModule *module = m_module->link().drivenModule(); module && isConnected())
        return QStringLiteral("module at %1 connected").arg(module->info.path);
    const HidOpenProblem &problem = accessProblem();
    if (problem.kind == HidOpenProblem::Kind::NoPermission)
        return QStringLiteral("no permission to open the module at %1 (see --list)")
            .arg(problem.node);
    if (problem.kind == HidOpenProblem::Kind::InUse)
        return inUseText(problem);
    const QString wanted = m_module->link().choice().wanted;
    return wanted.isEmpty() ? QStringLiteral("waiting for the module")
                            : QStringLiteral("waiting for the module %1").arg(wanted);
}
