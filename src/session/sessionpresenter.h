#pragma once

#include "connectionstate.h"
#include "deviceinforeport.h"

#include <QObject>
#include <QString>

class ModuleSession;

// Words what the session reports, in the active language, for the
// connection field (ConnectionStatus: text, colour, tooltip) and the status
// line (Label_Status): the connection state, the module's identity, the
// acknowledgements and a command the module did not answer. The texts are
// rows of the translation store; present() words the current state again,
// after a change of language too. No widget: a front end connects the
// signals to its own. GUI thread only.
class SessionPresenter : public QObject
{
    Q_OBJECT
public:
    explicit SessionPresenter(const ModuleSession &session, QObject *parent = nullptr);

    // The connection field and its tooltip as they stand, in the active language.
    void present();

    // The texts, in the active language.
    static QString stateText(const ConnectionState &state);
    static QString identityText(const DeviceInfoReport &info);
    // Why a present module did not connect and the way out; empty when
    // there is nothing the user can do.
    static QString accessHint(const HidOpenProblem &problem);
    // Label_Status after an acknowledgement; empty for codes that show none.
    static QString acknowledgementText(quint8 code);
    static QString notAnsweredText(quint8 code);

signals:
    // ConnectionStatus's text and colour.
    void connectionShown(const QString &text, bool active);
    // ConnectionStatus's text alone: the identity keeps the colour.
    void identityShown(const QString &text);
    // ConnectionStatus's tooltip.
    void hintShown(const QString &text);
    // Label_Status.
    void statusShown(const QString &text);

private:
    void onState(const ConnectionState &state);
    void onIdentified();

    const ModuleSession &m_session;
    bool m_identityShown = false; // since the module connected
};
