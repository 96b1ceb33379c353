#pragma once

// The two settings pages and the calibration dialog over the simulated
// module (each connects itself to the protocol), with the start-up steps
// that fill the lists. Message boxes are answered and recorded.
#include "analogcalibrationdialog.h"
#include "dialogs.h"
#include "findcontrol.h"
#include "iosettingspage.h"
#include "messagetable.h"
#include "sensorsettingspage.h"
#include "simrig.h"

#include "colours.h"
#include "statusfield.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

struct ConfigRig {
    SimRig sim;
    std::shared_ptr<SimulatedModule> module = std::make_shared<SimulatedModule>();
    std::unique_ptr<SensorSettingsPage> sensor;
    std::unique_ptr<IoSettingsPage> io;
    std::unique_ptr<AnalogCalibrationDialog> calibration;
    QList<Dialogs::Message> messages;

    explicit ConfigRig(quint8 analogOutVariant = 0)
    {
        module->setAnalogOutVariant(analogOutVariant);
        sim.backend.add(module);
        sim.start();
        sensor = std::make_unique<SensorSettingsPage>(*sim.session);
        io = std::make_unique<IoSettingsPage>(*sim.session);
        calibration = std::make_unique<AnalogCalibrationDialog>(*sim.session);
        sensor->fillFilterLevels();
        io->fillModbusAddresses();
        sensor->refreshFrequency();
        Dialogs::setMessageResponder([this](const Dialogs::Message &m) {
            messages << m;
            return QMessageBox::Ok;
        });
    }

    ~ConfigRig()
    {
        Dialogs::setMessageResponder(nullptr);
        SetActiveLanguage(1);
    }

    // The session's display settings.
    const DisplayState &state() const { return sim.session->display(); }

    // Connected, both settings records read and shown, the exchange idle,
    // nothing written since.
    bool waitForStartUp()
    {
        if (!sim.waitForStartUp(*module))
            return false;
        sim.forgetWrites(*module);
        return true;
    }

    // The command sent last was answered and its answer handled (a
    // read-back included).
    bool waitForAnswer() const { return sim.waitForIdle(); }

    // Sends a device report as the module would (report ID first) and waits
    // until it has been handled.
    template <typename Signal> bool deliver(const QByteArray &payload, Signal signal)
    {
        QSignalSpy spy(sim.protocol, signal);
        module->queueInputReport(QByteArray(1, char(ModuleReportId)) + payload);
        return spy.wait(5000) || spy.count() > 0;
    }

    // The payloads written to the module with this command code, in order.
    QList<QByteArray> sent(quint8 code) const
    {
        sim.waitForWrites();
        QList<QByteArray> payloads;
        for (const auto &w : module->written())
            if (w.bytes.size() > 1 && quint8(w.bytes[1]) == code)
                payloads << w.bytes.mid(1, LongPayloadSize);
        return payloads;
    }

    QList<quint8> commands() const
    {
        sim.waitForWrites();
        return withoutPolls(writtenCodes(*module));
    }

    // A save attempt on a page with fields left red by an earlier one:
    // applies "name=text" edits, presses the save button and returns the
    // page's setting fields (read-only edit boxes are status fields).
    QList<QLineEdit *> trySave(QWidget *page, const QStringList &edits, const char *saveButton)
    {
        QList<QLineEdit *> fields;
        for (QLineEdit *field : page->findChildren<QLineEdit *>()) {
            if (field->isReadOnly())
                continue;
            setFieldColour(field, Colours::Inactive);
            fields << field;
        }
        for (const QString &edit : edits) {
            const QStringList parts = edit.split('=');
            find<QLineEdit>(page, parts[0].toLatin1())->setText(parts[1]);
        }
        QTest::mouseClick(find<QPushButton>(page, saveButton), Qt::LeftButton);
        return fields;
    }

    // After a refused save: one warning box with this text and caption,
    // nothing sent, exactly the bad fields red, and the texts as given.
    void verifyRefused(QWidget *page, const QList<QLineEdit *> &fields, const QStringList &bad,
                       const QStringList &texts, const QString &text, quint8 writeCode) const
    {
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].icon, QMessageBox::Warning);
        QCOMPARE(messages[0].caption, QString("Warning"));
        QCOMPARE(messages[0].text, text);
        QCOMPARE(messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(sent(writeCode).isEmpty());
        const QColor normal = QApplication::palette(page).color(QPalette::Base);
        for (QLineEdit *field : fields)
            QVERIFY2(field->palette().color(QPalette::Base) ==
                         (bad.contains(field->objectName()) ? Colours::Inactive : normal),
                     qPrintable(field->objectName()));
        for (const QString &expected : texts) {
            const QStringList parts = expected.split('=');
            QCOMPARE(find<QLineEdit>(page, parts[0].toLatin1())->text(), parts[1]);
        }
    }

    template <typename T> T *find(QWidget *page, const char *name) const
    {
        return ::find<T>(page, QString::fromLatin1(name));
    }
};

inline QString yesNo(bool b)
{
    return b ? "y" : "n";
}

// What a control shows, for the layout tables: "text" (caption, title or
// text), "hint", "hidden", "enabled", "checked", "readOnly" (y/n), and for a
// combo box "items" (joined by |) or "current".
inline QString shown(QWidget *w, const QString &what)
{
    if (what == "hint")
        return w->toolTip();
    if (what == "hidden")
        return yesNo(w->isHidden());
    if (what == "enabled")
        return yesNo(w->isEnabled());
    if (what == "readOnly")
        return yesNo(static_cast<QLineEdit *>(w)->isReadOnly());
    if (auto *box = qobject_cast<QComboBox *>(w)) {
        if (what == "current")
            return box->currentText();
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items.join('|');
    }
    if (auto *group = qobject_cast<QGroupBox *>(w))
        return group->title();
    if (auto *check = qobject_cast<QAbstractButton *>(w))
        return what == "checked" ? yesNo(check->isChecked()) : check->text();
    return w->property("text").toString();
}

// The columns of a layout table and one row of it: a control, what of it
// is looked at (see shown()) and the expected value.
inline void layoutColumns()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("expected");
}

inline void layoutRow(const char *name, const char *what, const QString &expected)
{
    QTest::newRow(QByteArray(name) + " " + what) << QString(name) << QString(what) << expected;
}

// Hex with blanks for readability: "8a 00 01" -> bytes.
inline QByteArray hexBytes(QByteArray text)
{
    return QByteArray::fromHex(text.replace(' ', ""));
}
