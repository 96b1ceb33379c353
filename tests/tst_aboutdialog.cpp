// The about dialog as the program builds it, beside the main window.
#include "aboutdialog.h"
#include "application.h"
#include "findcontrol.h"
#include "messagetable.h"
#include "programwindows.h"
#include "simrig.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

class TestAboutDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void frame();
    void layout_data();
    void layout();
    void aboutTextOnEveryShowing();
    void centredOnTheMainWindow();
    void closeButtonCloses();
    void polishAfterTheMainWindowSwitched();

private:
    template <typename T = QWidget> T *control(const char *name)
    {
        return find<T>(&m_windows->form2, QString::fromLatin1(name));
    }
    QStringList infoLines() { return control<QTextEdit>("Info")->toPlainText().split('\n'); }

    std::unique_ptr<SimRig> m_rig;
    std::unique_ptr<ProgramWindows> m_windows;
};

void TestAboutDialog::init()
{
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    m_rig = std::make_unique<SimRig>();
    m_rig->backend.add(std::make_shared<SimulatedModule>());
    m_rig->start();
    m_windows = std::make_unique<ProgramWindows>(*m_rig->session, m_rig->settingsPath());
}

void TestAboutDialog::cleanup()
{
    m_windows.reset();
    m_rig.reset();
    SetActiveLanguage(1);
}

void TestAboutDialog::frame()
{
    AboutDialog &about = m_windows->form2;
    QCOMPARE(about.objectName(), QString("Form2"));
    QCOMPARE(about.windowTitle(), QString("O programie"));
    QCOMPARE(about.size(), QSize(476, 228));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QCOMPARE(about.palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(about.autoFillBackground());
    const Qt::WindowFlags flags = about.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                       Qt::WindowContextHelpButtonHint)));
    QCOMPARE(about.parentWidget(), &m_windows->form1);
}

void TestAboutDialog::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("font");
    QTest::newRow("text") << "Info" << QRect(7, 8, 461, 105) << QString() << "Calibri";
    QTest::newRow("logo") << "Image2" << QRect(16, 119, 81, 81) << QString() << "MS Sans Serif";
    QTest::newRow("company") << "Label1" << QRect(131, 120, 330, 16) << "Nazwa producenta" << "Calibri";
    QTest::newRow("site") << "Label2" << QRect(131, 136, 330, 16) << "site:     www.example.com" << "Calibri";
    QTest::newRow("e-mail") << "Label3" << QRect(131, 152, 330, 16) << "email:  kontakt@example.com"
                            << "Calibri";
    QTest::newRow("close") << "BitBtn1" << QRect(183, 183, 106, 37) << "Zamknij" << "MS Sans Serif";
}

void TestAboutDialog::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QWidget *w = find<QWidget>(&m_windows->form2, name);
    QTEST(w->geometry(), "geometry");
    QTEST(w->font().family(), "font");
    if (auto *label = qobject_cast<QLabel *>(w); label && !text.isNull())
        QCOMPARE(label->text(), text);
    if (auto *button = qobject_cast<QPushButton *>(w))
        QCOMPARE(button->text(), text);
    if (name == "Image2")
        QCOMPARE(control<QLabel>("Image2")->pixmap().size(), QSize(81, 81));
}

void TestAboutDialog::aboutTextOnEveryShowing()
{
    const QStringList expected{
        "KLV57-PC wersja: 1.10", " ",
        "Program KLV57-PC słuzy do konfiguracji oraz akwizycji danych z modułu pomiarowego "
        "KLV57 przeznaczonego dla tensometrycznych czujników siły.",
        " ", "Najnowsze wersje znajdziesz na:  www.example.com"};
    QCOMPARE(AboutDialog::aboutText(), expected);
    auto *info = control<QTextEdit>("Info");
    QVERIFY(info->isReadOnly());
    for (int showing = 0; showing < 3; ++showing) {
        info->append("left over"); // whatever the last showing left
        m_windows->form2.show();
        QCOMPARE(infoLines(), expected);
        QVERIFY(info->document()->size().height() <= info->viewport()->height()); // no scrolling
        m_windows->form2.hide();
    }
}

void TestAboutDialog::centredOnTheMainWindow()
{
    m_windows->form1.show();
    m_windows->form2.show();
    m_windows->form2.move(0, 0); // wherever the user left it last time
    m_windows->form2.hide();
    m_windows->form2.show();
    const QPoint offset =
        m_windows->form2.frameGeometry().center() - m_windows->form1.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2,
             qPrintable(QString("%1, %2").arg(offset.x()).arg(offset.y())));
}

void TestAboutDialog::closeButtonCloses()
{
    m_windows->form2.show();
    QTest::mouseClick(control("BitBtn1"), Qt::LeftButton);
    QVERIFY(!m_windows->form2.isVisible());
    QCOMPARE(m_windows->form2.result(), int(QDialog::Rejected));
}

void TestAboutDialog::polishAfterTheMainWindowSwitched()
{
    auto *selector = find<QComboBox>(&m_windows->form1, "siLangCombo1");
    selector->setCurrentIndex(1);
    m_windows->form1.applyChosenLanguage();
    QCOMPARE(ActiveLanguage(), 2);
    m_windows->form2.show();
    QCOMPARE(m_windows->form2.windowTitle(), QString("O programie"));
    QCOMPARE(infoLines().first(), QString("KLV57-PC wersja: 1.10"));
    QCOMPARE(control<QPushButton>("BitBtn1")->text(), QString("Zamknij"));
    QCOMPARE(control<QLabel>("Label1")->text(), QString("Nazwa producenta"));
}

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestAboutDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_aboutdialog.moc"
