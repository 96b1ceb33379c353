// The presenter's words for what the session reports, in both languages.
#include "messagetable.h"
#include "protocolcodes.h"
#include "sessionpresenter.h"

#include <QLocale>
#include <QTest>

#include <functional>

using Words = std::function<QString()>;
Q_DECLARE_METATYPE(Words)

class TestSessionPresenter : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { SetActiveLanguage(1); }
    void texts_data();
    void texts();
    void noPermissionHint();
};

void TestSessionPresenter::texts_data()
{
    QTest::addColumn<Words>("words");
    QTest::addColumn<QString>("polish");
    QTest::addColumn<QString>("english");

    using Kind = ConnectionState::Kind;
    auto state = [](Kind kind) { return Words([kind] { return SessionPresenter::stateText({kind, {}}); }); };
    QTest::newRow("no device") << state(Kind::NoDevice) << QString::fromUtf8("Brak połączenia")
                               << "No connection";
    QTest::newRow("disconnected") << state(Kind::Disconnected) << QString::fromUtf8("Rozłączony")
                                  << "Disconnected";
    QTest::newRow("connected") << state(Kind::Connected) << QString::fromUtf8("Połączony") << "Connected";
    QTest::newRow("identity") << Words([] {
        DeviceInfoReport info;
        info.version = 1.10f;
        info.identification = "ABC";
        return SessionPresenter::identityText(info);
    }) << QString::fromUtf8("Połączono z KLV57 ver.: 1.10 ABC")
                              << "Connected to KLV57 ver.:1.10 ABC";
    auto ack = [](quint8 code) { return Words([code] { return SessionPresenter::acknowledgementText(code); }); };
    QTest::newRow("ack tare") << ack(Code::TareSum) << QString::fromUtf8("Wartość wytarowana") << "Tare ok";
    QTest::newRow("ack min/max") << ack(Code::ResetMinMax) << "Wartosc Min/Max zresetowana"
                                 << "Min/max values reset";
    QTest::newRow("ack sensor write") << ack(Code::WriteSensorSettings)
                                      << QString::fromUtf8("Parametry wejść tensometrycznych zapisane")
                                      << "Parameters sensor saved";
    QTest::newRow("ack io write") << ack(Code::WriteIoSettings) << QString::fromUtf8("Parametry wejść-wyjść zapisane")
                                  << "Parameters input-output saved";
    QTest::newRow("ack sensor factory") << ack(Code::FactorySensorSettings)
                                        << QString::fromUtf8("Ustawienia domyslne czujników siły przywrócone")
                                        << "The default setting of sensors restored";
    QTest::newRow("ack io factory") << ack(Code::FactoryIoSettings)
                                    << QString::fromUtf8("Ustawienia domyslne wejść-wyjść przywrócone")
                                    << "Setting the default input-output restored";
    QTest::newRow("zero input: no text") << ack(Code::ZeroInput1) << QString() << QString();
    QTest::newRow("not answered") << Words([] { return SessionPresenter::notAnsweredText(Code::TareSum); })
                                  << QString::fromUtf8("Moduł nie odpowiedział na polecenie")
                                  << "The module did not answer the command";
}

void TestSessionPresenter::texts()
{
    QFETCH(Words, words);
    QTEST(words(), "polish");
    SetActiveLanguage(2);
    QTEST(words(), "english");
}

void TestSessionPresenter::noPermissionHint()
{
    QCOMPARE(SessionPresenter::accessHint({}), QString());
    const HidOpenProblem denied = HidOpenProblem::noPermission("/dev/hidraw3");
    QCOMPARE(SessionPresenter::accessHint(denied),
             QString::fromUtf8("Moduł KLV57 jest podłączony, ale brak uprawnień\n"
                               "do odczytu i zapisu pliku urządzenia /dev/hidraw3.\n"
                               "Zainstaluj regułę udev modułu (pakiet klv57-pc albo\n"
                               "sudo cp packaging/70-klv57.rules /etc/udev/rules.d/\n"
                               "&& sudo udevadm control --reload),\n"
                               "a potem odłącz moduł i podłącz go ponownie."));
    SetActiveLanguage(2);
    QCOMPARE(SessionPresenter::accessHint(denied),
             QString("A KLV57 module is plugged in, but there is no permission\n"
                     "to read and write its device file /dev/hidraw3.\n"
                     "Install the module's udev rule (the klv57-pc package, or\n"
                     "sudo cp packaging/70-klv57.rules /etc/udev/rules.d/\n"
                     "&& sudo udevadm control --reload),\n"
                     "then unplug the module and plug it in again."));
}

QTEST_MAIN(TestSessionPresenter)
#include "tst_sessionpresenter.moc"
