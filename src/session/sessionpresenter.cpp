#include "sessionpresenter.h"

#include "messageids.h"
#include "messagetable.h"
#include "modulesession.h"
#include "protocolcodes.h"
#include "valueformat.h"

namespace {

struct AcknowledgementText {
    quint8 code;
    const char *messageId;
};

constexpr AcknowledgementText AcknowledgementTexts[] = {
    {Code::WriteSensorSettings, Msg::IDS_48}, {Code::WriteIoSettings, Msg::IDS_47},
    {Code::TareSum, Msg::IDS_49},             {Code::ResetMinMax, Msg::IDS_50},
    {Code::FactorySensorSettings, Msg::IDS_52}, {Code::FactoryIoSettings, Msg::IDS_51},
};

QString text(const char *id)
{
    return GetTextOrDefault(QString::fromLatin1(id));
}

// A holder caught before it wrote its name is shown with "?".
QString orUnknown(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("?") : text;
}

QString holderPidText(const HidOpenProblem &problem)
{
    return orUnknown(problem.holderPid > 0 ? QString::number(problem.holderPid) : QString());
}

} // namespace

SessionPresenter::SessionPresenter(const ModuleSession &session, QObject *parent)
    : QObject(parent), m_session(session),
      m_identityShown(session.isConnected() && session.identified()) // made after the module spoke
{
    const DeviceProtocol &protocol = session.protocol();
    connect(&session.link(), &DeviceLink::connectionStateChanged, this, &SessionPresenter::onState);
    connect(&session.link(), &DeviceLink::accessProblemChanged, this, [this] { emit hintShown(hint()); });
    connect(&session.link(), &DeviceLink::modulesChanged, this, &SessionPresenter::presentModules);
    connect(&protocol, &DeviceProtocol::identified, this, &SessionPresenter::onIdentified);
    connect(&protocol, &DeviceProtocol::acknowledged, this, [this](quint8 code) {
        const QString shown = acknowledgementText(code);
        if (!shown.isEmpty())
            emit statusShown(shown);
    });
    connect(&protocol, &DeviceProtocol::commandNotAnswered, this,
            [this](quint8 code) { emit statusShown(notAnsweredText(code)); });
}

void SessionPresenter::present()
{
    const ConnectionState &state = m_session.link().connectionState();
    if (state.isConnected() && m_identityShown) {
        emit connectionShown(identityText(m_session.identity()), true);
    } else {
        emit connectionShown(stateText(state), state.isConnected());
    }
    presentModules();
}

void SessionPresenter::presentModules()
{
    const DeviceLink &link = m_session.link();
    const std::vector<ListedModule> &modules = link.modules();
    QStringList texts, nodes;
    int driven = -1;
    const ListedModule *shown = nullptr;
    // Also a single module while the chosen one is away: else the way back
    // to it would be a restart.
    const bool waiting = !link.drivenModule() && link.choice().strict && !modules.empty();
    if (modules.size() > 1 || waiting) {
        for (const ListedModule &module : modules) {
            if (module.driven) {
                driven = int(texts.size());
                shown = &module;
            }
            texts << chooserText(module);
            nodes << module.info.path;
        }
    }
    emit modulesShown(texts, nodes, driven);
    emit moduleShown(shown ? moduleText(*shown) : QString());
    emit hintShown(hint());
}

QString SessionPresenter::hint() const
{
    QStringList lines;
    const DeviceLink &link = m_session.link();
    const ListedModule *driven = link.drivenModule();
    if (driven && link.modules().size() > 1)
        lines << text(Msg::KLV_ModuleShown).arg(moduleText(*driven));
    // Only the chosen module is driven: say which one the program waits for.
    if (!driven && link.choice().strict && link.accessProblem().kind == HidOpenProblem::Kind::None)
        lines << text(Msg::KLV_ModuleAwaited).arg(link.choice().wanted);
    const QString access = accessHint(m_session.link().accessProblem());
    if (!access.isEmpty())
        lines << access;
    return lines.join(QLatin1Char('\n'));
}

QString SessionPresenter::moduleText(const ListedModule &module)
{
    const QByteArray identification = module.identity ? module.identity->identification.trimmed() : QByteArray();
    if (identification.isEmpty())
        return module.info.path;
    return QStringLiteral("%1 (%2)").arg(QString::fromLatin1(identification), module.info.path);
}

QString SessionPresenter::chooserText(const ListedModule &module)
{
    if (!module.heldElsewhere)
        return moduleText(module);
    const qint64 pid = module.heldElsewhere->pid;
    return moduleText(module) + QStringLiteral(", ") +
           text(Msg::KLV_ModuleHeld).arg(orUnknown(pid > 0 ? QString::number(pid) : QString()));
}

void SessionPresenter::onState(const ConnectionState &state)
{
    m_identityShown = false;
    emit connectionShown(stateText(state), state.isConnected());
}

void SessionPresenter::onIdentified()
{
    m_identityShown = true;
    emit identityShown(identityText(m_session.identity()));
}

QString SessionPresenter::stateText(const ConnectionState &state)
{
    switch (state.kind) {
    case ConnectionState::Kind::Connected:
        return text(Msg::IDS_44);
    case ConnectionState::Kind::Disconnected:
        return text(Msg::IDS_46);
    case ConnectionState::Kind::NoDevice:
        break;
    }
    // Another program holds the module: said in place of "no connection".
    if (state.problem.kind == HidOpenProblem::Kind::InUse)
        return text(Msg::KLV_ModuleInUse).arg(holderPidText(state.problem));
    return text(Msg::IDS_45);
}

QString SessionPresenter::identityText(const DeviceInfoReport &info)
{
    return text(Msg::IDS_53) + formatVersion(info.version) + QLatin1Char(' ') +
           QString::fromLatin1(info.identification);
}

QString SessionPresenter::accessHint(const HidOpenProblem &problem)
{
    if (problem.kind == HidOpenProblem::Kind::InUse)
        return text(Msg::KLV_ModuleInUseBy)
                   .arg(problem.node, orUnknown(problem.holderProgram), holderPidText(problem)) +
               QLatin1Char('\n') + text(Msg::KLV_ModuleInUseWait);
    if (problem.kind != HidOpenProblem::Kind::NoPermission)
        return {};
    // The row is one line; its line breaks are written \n.
    return text(Msg::KLV_NoPermissionHint).replace(QLatin1String("\\n"), QLatin1String("\n")).arg(problem.node);
}

QString SessionPresenter::acknowledgementText(quint8 code)
{
    for (const AcknowledgementText &ack : AcknowledgementTexts)
        if (ack.code == code)
            return text(ack.messageId);
    return {};
}

QString SessionPresenter::notAnsweredText(quint8 /*code*/)
{
    return text(Msg::KLV_CommandNotAnswered);
}
