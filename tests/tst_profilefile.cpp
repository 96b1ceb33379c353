// The INI reader and writer, against small files in a temporary directory.
#include "profilefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Options = QStringLiteral("Options");
const QString Missing = QStringLiteral("<missing>");

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestProfileFile : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(path());
    }
    void missingFileReadsFallback();
    void readString_data();
    void readString();
    void parseInteger_data();
    void parseInteger();
    void readIntegerTrimsAndUnquotes();
    void writeKeepsEverythingElse_data();
    void writeKeepsEverythingElse();
    void writeLastMovesTheKeyOnly_data();
    void writeLastMovesTheKeyOnly();
    void roundTrip_data();
    void roundTrip();
    void writeRefusesLineBreaks();
    void writeFailure_data();
    void writeFailure();

private:
    QString path() const { return m_dir.filePath(QStringLiteral("config.ini")); }
    QTemporaryDir m_dir;
};

void TestProfileFile::missingFileReadsFallback()
{
    ProfileFile file(m_dir.filePath(QStringLiteral("none.ini")));
    QCOMPARE(file.readString(Options, QStringLiteral("Key"), QStringLiteral("x")),
             QStringLiteral("x"));
    QCOMPARE(file.readInteger(Options, QStringLiteral("Key"), 7), 7);
    QVERIFY(!QFile::exists(file.path()));
}

void TestProfileFile::readString_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");

    const QByteArray longValue(3000, 'a');
    QTest::newRow("plain") << QByteArray("[Options]\nKey=abc\n") << "abc";
    QTest::newRow("blanks stripped") << QByteArray("[Options]\n  Key \t=  a b  \n") << "a b";
    QTest::newRow("double quotes") << QByteArray("[Options]\nKey=\" a b \"\n") << " a b ";
    QTest::newRow("single quotes") << QByteArray("[Options]\nKey='x'\n") << "x";
    QTest::newRow("one pair only") << QByteArray("[Options]\nKey=\"\"x\"\"\n") << "\"x\"";
    QTest::newRow("unmatched quote kept") << QByteArray("[Options]\nKey=\"x\n") << "\"x";
    QTest::newRow("empty value") << QByteArray("[Options]\nKey=\n") << "";
    QTest::newRow("backslashes raw")
        << QByteArray("[Options]\nKey=C:\\dane\\p.csv\n") << "C:\\dane\\p.csv";
    QTest::newRow("utf-8") << QByteArray("[Options]\nKey=\xc5\x9b"
                                         "cie\xc5\xbcka\n")
                           << QString::fromUtf8("ścieżka");
    QTest::newRow("CR LF") << QByteArray("[Options]\r\nKey=abc\r\nOther=1\r\n") << "abc";
    QTest::newRow("names in any case") << QByteArray("[ options ]\nKEY=1\n") << "1";
    QTest::newRow("first of two") << QByteArray("[Options]\nKey=1\nKey=2\n") << "1";
    QTest::newRow("right section")
        << QByteArray("[Other]\nKey=no\n[Options]\nKey=yes\n[Last]\nKey=no\n") << "yes";
    QTest::newRow("other section only") << QByteArray("[Other]\nKey=no\n") << Missing;
    QTest::newRow("before any section") << QByteArray("Key=no\n[Options]\n") << Missing;
    QTest::newRow("no equals sign") << QByteArray("[Options]\nKey\n") << Missing;
    QTest::newRow("commented out") << QByteArray("[Options]\n;Key=1\n") << Missing;
    QTest::newRow("2047 characters arrive")
        << QByteArray("[Options]\nKey=" + longValue + "\n") << QString(2047, QLatin1Char('a'));
}

void TestProfileFile::readString()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    put(path(), file);
    QCOMPARE(ProfileFile(path()).readString(Options, QStringLiteral("Key"), Missing), expected);
}

void TestProfileFile::parseInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -999 = not an integer

    QTest::newRow("decimal") << "12" << 12;
    QTest::newRow("negative") << "-5" << -5;
    QTest::newRow("plus") << "+5" << 5;
    QTest::newRow("0x") << "0x1F" << 31;
    QTest::newRow("0X lower digits") << "0X1f" << 31;
    QTest::newRow("dollar") << "$10" << 16;
    QTest::newRow("negative hex") << "-$10" << -16;
    QTest::newRow("hex is 32 bits") << "0xFFFFFFFF" << -1;
    QTest::newRow("hex too long") << "0x100000000" << -999;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("too large") << "2147483648" << -999;
    QTest::newRow("word") << "yes" << -999;
    QTest::newRow("empty") << "" << -999;
    QTest::newRow("fraction") << "1.5" << -999;
    QTest::newRow("trailing text") << "12abc" << -999;
    QTest::newRow("inner blank") << "1 2" << -999;
    QTest::newRow("prefix alone") << "0x" << -999;
    QTest::newRow("dollar alone") << "$" << -999;
    QTest::newRow("two prefixes") << "0x0x1" << -999;
    QTest::newRow("two signs") << "--1" << -999;
    QTest::newRow("hex without prefix") << "1F" << -999;
    QTest::newRow("other digits") << QString::fromUtf8("١٢") << -999;
}

void TestProfileFile::parseInteger()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(ProfileFile::parseInteger(text).value_or(-999), expected);
}

void TestProfileFile::readIntegerTrimsAndUnquotes()
{
    put(path(), "[Options]\nA = 0x2 \nB=\"3\"\nC=yes\n");
    ProfileFile file(path());
    QCOMPARE(file.readInteger(Options, QStringLiteral("A"), -1), 2);
    QCOMPARE(file.readInteger(Options, QStringLiteral("B"), -1), 3);
    QCOMPARE(file.readInteger(Options, QStringLiteral("C"), -1), -1);
    QCOMPARE(file.readInteger(Options, QStringLiteral("D"), -1), -1);
}

void TestProfileFile::writeKeepsEverythingElse_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after");

    const QByteArray file = "; written by hand\r\n"
                            "[Options]\r\n"
                            "Zeta = 1\r\n"
                            "FileName=C:\\dane\\p.csv\r\n"
                            "Alpha=2\r\n"
                            "\r\n"
                            "[Other]\r\n"
                            "Key=x\r\n";
    QTest::newRow("key replaced in place")
        << file << "Options"
        << "zeta" << QByteArray(file).replace("Zeta = 1", "zeta=v");
    QTest::newRow("new key after the section's last line")
        << file << "Options"
        << "New" << QByteArray(file).replace("Alpha=2\r\n", "Alpha=2\r\nNew=v\r\n");
    QTest::newRow("new section at the end") << file << "Third"
                                            << "Key" << QByteArray(file + "[Third]\r\nKey=v\r\n");
    QTest::newRow("no file") << QByteArray() << "Options"
                             << "Key" << QByteArray("[Options]\r\nKey=v\r\n");
    QTest::newRow("LF file stays LF, last line without end")
        << QByteArray("[Options]\nA=1") << "Options"
        << "B" << QByteArray("[Options]\nA=1\nB=v\n");
    QTest::newRow("empty section") << QByteArray("[Options]\n[Other]\n") << "Options"
                                   << "Key" << QByteArray("[Options]\nKey=v\n[Other]\n");
}

void TestProfileFile::writeKeepsEverythingElse()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);
    if (!before.isEmpty())
        put(path(), before);
    QVERIFY(ProfileFile(path()).writeString(section, key, QStringLiteral("v")));
    QCOMPARE(contents(path()), after);
}

void TestProfileFile::writeLastMovesTheKeyOnly_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    const QByteArray file = "[Options]\r\nZeta=1\r\nAlpha=2\r\n\r\n[Other]\r\nZeta=x\r\n";
    QTest::newRow("moved after the section's last line")
        << file << QByteArray("[Options]\r\nAlpha=2\r\nZeta=v\r\n\r\n[Other]\r\nZeta=x\r\n");
    QTest::newRow("already last: in place")
        << QByteArray("[Options]\nA=1\nZeta=1\n") << QByteArray("[Options]\nA=1\nZeta=v\n");
    QTest::newRow("new") << QByteArray("[Options]\nA=1") << QByteArray("[Options]\nA=1\nZeta=v\n");
}

void TestProfileFile::writeLastMovesTheKeyOnly()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    put(path(), before);
    QVERIFY(ProfileFile(path()).writeStringLast("options", "zeta", QStringLiteral("v")));
    QCOMPARE(contents(path()), after.replace("Zeta=v", "zeta=v"));
}

void TestProfileFile::roundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << "";
    QTest::newRow("inner blanks") << "a b";
    QTest::newRow("leading blank") << " a";
    QTest::newRow("trailing blank") << "a ";
    QTest::newRow("quoted") << "\"a\"";
    QTest::newRow("single quoted") << "'a'";
    QTest::newRow("one quote") << "\"a";
    QTest::newRow("backslashes") << "C:\\dane\\p.csv";
    QTest::newRow("equals and semicolon") << "a=b;c";
    QTest::newRow("polish path") << QString::fromUtf8("/home/łukasz/ścieżka/pomiary.csv");
    // Reading trims these too; a file name may hold them.
    QTest::newRow("leading form feed") << "\fpomiary.csv";
    QTest::newRow("trailing vertical tab") << "pomiary.csv\v";
}

void TestProfileFile::roundTrip()
{
    QFETCH(QString, value);
    ProfileFile file(path());
    QVERIFY(file.writeString(Options, QStringLiteral("Key"), value));
    QCOMPARE(file.readString(Options, QStringLiteral("Key"), Missing), value);
    QVERIFY(file.writeInteger(Options, QStringLiteral("Number"), -42));
    QCOMPARE(file.readInteger(Options, QStringLiteral("Number"), 0), -42);
    QVERIFY(file.writeBoolean(Options, QStringLiteral("Flag"), true));
    QCOMPARE(file.readString(Options, QStringLiteral("Flag")), QStringLiteral("1"));
}

void TestProfileFile::writeRefusesLineBreaks()
{
    put(path(), "[Options]\nKey=old\n");
    ProfileFile file(path());
    QVERIFY(!file.writeString(Options, QStringLiteral("Key"), QStringLiteral("a\nb")));
    QVERIFY(!file.writeString(Options, QStringLiteral("Key"), QStringLiteral("a\rb")));
    QCOMPARE(contents(path()), QByteArray("[Options]\nKey=old\n"));
}

void TestProfileFile::writeFailure_data()
{
    QTest::addColumn<QString>("target");
    // Root ignores permission bits, so the path itself is made impossible.
    QTest::newRow("parent is a file") << "file/config.ini";
    QTest::newRow("directory in its place") << "dir";
    QTest::newRow("directory missing") << "missing/config.ini";
}

void TestProfileFile::writeFailure()
{
    QFETCH(QString, target);
    put(m_dir.filePath(QStringLiteral("file")), "x");
    QDir(m_dir.path()).mkdir(QStringLiteral("dir"));
    ProfileFile file(m_dir.filePath(target));
    QVERIFY(!file.writeString(Options, QStringLiteral("Key"), QStringLiteral("v")));
    QCOMPARE(contents(m_dir.filePath(QStringLiteral("file"))), QByteArray("x"));
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
