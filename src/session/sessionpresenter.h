#pragma once

#include "connectionstate.h"
#include "deviceinforeport.h"
#include "modulechoice.h"

#include <QObject>
#include <QString>
#include <QStringList>

class ModuleSession;

// Words what the session reports, in the active language, for the
// connection field (ConnectionStatus: text, colour, tooltip), the status
// line (Label_Status) and, with more than one module present, the module
// chooser and the title: the connection state, the module's identity and
// which module it is, the acknowledgements and a command the module did not
// answer. The texts are
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
    // "KLV57 simulator 2 (sim:klv57-2)"; the node alone until the module said who it is.
    static QString moduleText(const ListedModule &module);
    // The chooser's entry: the module, and who holds it when another program does.
    static QString chooserText(const ListedModule &module);

signals:
    // ConnectionStatus's text and colour.
    void connectionShown(const QString &text, bool active);
    // ConnectionStatus's text alone: the identity keeps the colour.
    void identityShown(const QString &text);
    // ConnectionStatus's tooltip.
    void hintShown(const QString &text);
    // Which module is driven, for the title; empty unless more than one is present.
    void moduleShown(const QString &text);
    // The chooser's entries and their nodes, with the driven one's index
    // (-1: none); no entries unless more than one module is present or the
    // chosen one is away while another is there.
    void modulesShown(const QStringList &texts, const QStringList &nodes, int driven);
    // Label_Status.
    void statusShown(const QString &text);

private:
    void onState(const ConnectionState &state);
    void onIdentified();
    void presentModules();
    QString hint() const;

    const ModuleSession &m_session;
    bool m_identityShown = false; // since the module connected
};
