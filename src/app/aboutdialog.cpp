#include "aboutdialog.h"

#include "ui_aboutdialog.h"

#include "makerinfo.h"
#include "programinfo.h"

#include <QTextBlockFormat>
#include <QTextCursor>

namespace {
QFont pixelFont(const char *family, int pixelSize)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixelSize);
    return font;
}
} // namespace

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::AboutDialog>())
{
    Q_INIT_RESOURCE(pictures); // the logo lives in a static library
    ui->setupUi(this);
    setFixedSize(476, 228);
    setFont(pixelFont("MS Sans Serif", 11));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    const QFont calibri = pixelFont("Calibri", 13);
    for (QWidget *text : {static_cast<QWidget *>(ui->Info), static_cast<QWidget *>(ui->Label1),
                          static_cast<QWidget *>(ui->Label2), static_cast<QWidget *>(ui->Label3)})
        text->setFont(calibri);
    ui->Image2->setPixmap(QPixmap(MakerInfo::LogoPicture));
    ui->Label1->setText(MakerInfo::CompanyName);
    ui->Label2->setText(QStringLiteral("site:     ") + MakerInfo::WebAddress);
    ui->Label3->setText(QStringLiteral("email:  ") + MakerInfo::Email);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
}

AboutDialog::~AboutDialog() = default;

QStringList AboutDialog::aboutText()
{
    return {QStringLiteral("KLV57-PC wersja: ") + ProgramInfo::VersionText,
            QStringLiteral(" "),
            QStringLiteral("Program KLV57-PC słuzy do konfiguracji oraz akwizycji danych z modułu "
                           "pomiarowego KLV57 przeznaczonego dla tensometrycznych czujników siły."),
            QStringLiteral(" "),
            QStringLiteral("Najnowsze wersje znajdziesz na:  ") + MakerInfo::WebAddress};
}

void AboutDialog::fillAboutText()
{
    ui->Info->setPlainText(aboutText().join(QLatin1Char('\n')));
    // Lines as high as the characters, without the leading Qt adds, so the
    // wrapped text fits its box as laid out.
    QTextBlockFormat lines;
    lines.setLineHeight(QFontMetrics(ui->Info->font()).height(), QTextBlockFormat::FixedHeight);
    QTextCursor all(ui->Info->document());
    all.select(QTextCursor::Document);
    all.mergeBlockFormat(lines);
}

void AboutDialog::showEvent(QShowEvent *event)
{
    fillAboutText();
    setAttribute(Qt::WA_Moved, false); // centred on the main window at every showing
    QDialog::showEvent(event);
}
