#include "wizard/setting_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <limits>
#include <string>

#include "conversion/word_store.h"
#include "ocr/ocr_languages.h"
#include "wizard/dialog_units.h"
#include "wizard/link_opener.h"
#include "wizard/message_box.h"
#include "wizard/ocr_language_list.h"
#include "wizard/property_sheet.h"
#include "wizard/top_banner.h"

namespace {

constexpr int kSettingTemplateId = 108;
constexpr int kInTextBoxesId = 1009;
constexpr int kWithoutTextBoxesId = 1010;
constexpr int kDeleteGraphicsId = 1011;
constexpr int kAllPagesId = 1013;
constexpr int kFromPageId = 1014;
constexpr int kFromEditId = 1015;
constexpr int kToEditId = 1016;
constexpr int kRecogniseTextId = 1017;
constexpr int kOcrLanguageId = 1018;
// The banner's child id, shared by every page.
constexpr int kBannerId = 0xFFF0;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A decimal integer, optionally signed, with blanks or tabs around it and
// nothing else. Values beyond 32 bits are refused rather than wrapped.
bool ParsePageNumber(const QString& text, int32_t& value)
{
    const std::string digits = text.toStdString();
    size_t i = 0;
    while (i < digits.size() && IsBlank(digits[i]))
        ++i;
    bool negative = false;
    if (i < digits.size() && (digits[i] == '+' || digits[i] == '-'))
        negative = digits[i++] == '-';
    const int64_t limit = negative ? -int64_t{std::numeric_limits<int32_t>::min()}
                                   : int64_t{std::numeric_limits<int32_t>::max()};
    const size_t first = i;
    int64_t magnitude = 0;
    for (; i < digits.size() && digits[i] >= '0' && digits[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (digits[i] - '0');
        if (magnitude > limit)
            return false;
    }
    if (i == first)
        return false;
    while (i < digits.size() && IsBlank(digits[i]))
        ++i;
    if (i != digits.size())
        return false;
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

// The picture qualities offered, in the order listed.
struct PictureChoice {
    const char* text;
    int32_t dpi;
};
constexpr PictureChoice kPictureChoices[] = {
    {"Screen (96 dpi)", kScreenPictureDpi},
    {"Print (150 dpi)", kPrintPictureDpi},
    {"High (300 dpi)", kHighPictureDpi},
};

// Tab enters a group of radio buttons at its chosen button, as dialogs do,
// and the arrow keys move the choice within it: only the checked button
// takes the focus from Tab.
void TabToCheckedButton(QButtonGroup* group)
{
    auto update = [group] {
        for (QAbstractButton* button : group->buttons())
            button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    QObject::connect(group, &QButtonGroup::buttonToggled, group, update);
    update();
}

QRadioButton* MakeRadio(QWidget* page, const QString& text, int id, int x, int y, int w, int h)
{
    auto* radio = new QRadioButton(text, page);
    PlaceControl(radio, id, x, y, w, h);
    return radio;
}

} // namespace

CSettingPage::CSettingPage(QWidget* parent) : CVovirPropertyPage(kSettingTemplateId, parent)
{
    // Made in reading order, down the left column and then the right one, so
    // the group boxes lie under the controls they frame and Tab follows the
    // page. The left column holds the classic three groups.
    PlaceControl(new QGroupBox(QStringLiteral("Conversion options"), this), 20, 56, 170, 45);
    inTextBoxes_ = MakeRadio(this, QStringLiteral("Write text in text boxes"), kInTextBoxesId, 29, 70, 87, 10);
    withoutTextBoxes_ =
        MakeRadio(this, QStringLiteral("Write text without text boxes"), kWithoutTextBoxesId, 29, 86, 105, 10);

    PlaceControl(new QGroupBox(QStringLiteral("Graphics"), this), 20, 113, 170, 51);
    deleteAll_ = new QCheckBox(QStringLiteral("Delete all graphics"), this);
    PlaceControl(deleteAll_, kDeleteGraphicsId, 29, 127, 74, 10);
    auto* qualityLabel = new QLabel(QStringLiteral("Picture &quality:"), this);
    PlaceControl(qualityLabel, 29, 146, 55, 8);
    pictureQuality_ = new QComboBox(this);
    PlaceControl(pictureQuality_, kPictureQualityId, 86, 143, 94, 14);
    for (const PictureChoice& choice : kPictureChoices)
        pictureQuality_->addItem(QString::fromLatin1(choice.text), choice.dpi);
    qualityLabel->setBuddy(pictureQuality_);

    PlaceControl(new QGroupBox(QStringLiteral("Page range"), this), 20, 176, 170, 50);
    all_ = MakeRadio(this, QStringLiteral("All"), kAllPagesId, 29, 192, 23, 10);
    from_ = MakeRadio(this, QStringLiteral("From"), kFromPageId, 29, 208, 31, 10);
    fromEdit_ = new QLineEdit(this);
    PlaceControl(fromEdit_, kFromEditId, 64, 205, 42, 14);
    PlaceControl(new QLabel(QStringLiteral("To"), this), 112, 208, 11, 8);
    toEdit_ = new QLineEdit(this);
    PlaceControl(toEdit_, kToEditId, 126, 205, 42, 14);

    PlaceControl(new QGroupBox(QStringLiteral("Save as"), this), 200, 56, 160, 79);
    saveAsDocx_ = MakeRadio(this, QStringLiteral("Word document (.docx)"), kSaveAsDocxId, 209, 70, 140, 10);
    saveAsDoc_ = MakeRadio(this, QStringLiteral("Word 97-2003 (.doc)"), kSaveAsDocId, 209, 86, 140, 10);
    saveAsRtf_ = MakeRadio(this, QStringLiteral("Rich Text Format (.rtf)"), kSaveAsRtfId, 209, 102, 140, 10);
    // Shown when there is no office suite to make the .doc.
    noOfficeNote_ = new QLabel(QStringLiteral("LibreOffice is not installed: a .doc would hold RTF."), this);
    PlaceControl(noOfficeNote_, kNoOfficeNoteId, 209, 116, 145, 16);
    noOfficeNote_->setWordWrap(true);
    noOfficeNote_->hide();

    MakeScanControls();

    textModeGroup_ = new QButtonGroup(this);
    textModeGroup_->addButton(inTextBoxes_);
    textModeGroup_->addButton(withoutTextBoxes_);
    rangeGroup_ = new QButtonGroup(this);
    rangeGroup_->addButton(all_);
    rangeGroup_->addButton(from_);
    saveAsGroup_ = new QButtonGroup(this);
    saveAsGroup_->addButton(saveAsDocx_);
    saveAsGroup_->addButton(saveAsDoc_);
    saveAsGroup_->addButton(saveAsRtf_);
    for (QButtonGroup* group : {textModeGroup_, rangeGroup_, saveAsGroup_})
        TabToCheckedButton(group);

    connect(all_, &QRadioButton::clicked, this, &CSettingPage::OnAllClicked);
    connect(from_, &QRadioButton::clicked, this, &CSettingPage::OnFromClicked);
    // Without pictures there is no picture quality to choose.
    connect(deleteAll_, &QCheckBox::toggled, pictureQuality_, [this](bool deleted) {
        pictureQuality_->setEnabled(!deleted);
    });
}

void CSettingPage::MakeScanControls()
{
    PlaceControl(new QGroupBox(QStringLiteral("Scanned pages"), this), 200, 147, 160, 50);
    recognise_ = new QCheckBox(QStringLiteral("Recognise text in scans"), this);
    PlaceControl(recognise_, kRecogniseTextId, 209, 161, 100, 10);
    recognise_->setToolTip(QStringLiteral("Pages that are only a picture (scans) become editable text: the "
                                          "PDF's own text layer, or text recognition in the chosen language."));
    auto* languageLabel = new QLabel(QStringLiteral("&Language:"), this);
    PlaceControl(languageLabel, 209, 180, 40, 8);
    ocrLanguage_ = new QComboBox(this);
    PlaceControl(ocrLanguage_, kOcrLanguageId, 252, 177, 98, 14);
    languageLabel->setBuddy(ocrLanguage_);
    ocrLanguage_->setToolTip(QStringLiteral("The language of the scanned text. More languages: "
                                            "apt-get install tesseract-ocr-deu (German), -fra, -spa ..."));
    connect(recognise_, &QCheckBox::toggled, ocrLanguage_, [this](bool on) {
        ocrLanguage_->setEnabled(on && ocrLanguage_->count() > 0 && ocrLanguage_->itemData(0).isValid());
    });
}

void CSettingPage::InitScanControls()
{
    recognise_->setChecked(recogniseText_ != 0);
    ocrLanguage_->clear();
    for (const COcrLanguageEntry& entry : OcrLanguageEntries(InstalledOcrLanguages()))
        ocrLanguage_->addItem(QString::fromStdString(entry.text), QString::fromStdString(entry.languages));
    // Without language data only a scan's own text layer can be taken.
    if (ocrLanguage_->count() == 0)
        ocrLanguage_->addItem(QStringLiteral("(no language data)"));
    const int chosen = ocrLanguage_->findData(QString::fromStdString(ocrLanguages_));
    ocrLanguage_->setCurrentIndex(chosen >= 0 ? chosen : 0);
    ocrLanguage_->setEnabled(recognise_->isChecked() && ocrLanguage_->itemData(0).isValid());
}

void CSettingPage::OnInitDialog()
{
    // The members' first values into the controls.
    deleteAll_->setChecked(deleteGraphics_ != 0);
    all_->setChecked(allPages_ != 0);
    inTextBoxes_->setChecked(frameMode_ != 0);
    fromEdit_->setText(QString::number(firstPage_));
    toEdit_->setText(QString::number(lastPage_));

    // Flow mode and the whole document unless the user says otherwise.
    withoutTextBoxes_->setChecked(true);
    all_->setChecked(true);
    OnAllClicked();
    pictureQuality_->setCurrentIndex(pictureQuality_->findData(pictureDpi_));
    InitScanControls();

    // A .doc needs the office suite; without one the engine's own .docx is
    // what a user wants (a .doc would only be RTF under another name).
    const bool office = WordConverterInstalled();
    saveAs_ = office ? OutputFormat::Doc : OutputFormat::Docx;
    (office ? saveAsDoc_ : saveAsDocx_)->setChecked(true);
    noOfficeNote_->setVisible(!office);

    banner_ = new CTopBanner;
    banner_->Attach(this, CTopBanner::kAttachTop, kBannerId);
    banner_->SetLinkTarget(kProductWebPage);
}

void CSettingPage::OnSetActive()
{
    CPropertySheet* sheet = Sheet();
    if (!sheet)
        return;
    sheet->Button(WizardButton::Back)->setEnabled(true);
    sheet->Button(WizardButton::Finish)->hide();
    sheet->Button(WizardButton::Next)->show();
    sheet->Button(WizardButton::Next)->setEnabled(true);
    sheet->Button(WizardButton::Cancel)->setEnabled(true);
    sheet->SetDefaultButton(WizardButton::Next);
}

void CSettingPage::OnAllClicked()
{
    fromEdit_->setEnabled(false);
    toEdit_->setEnabled(false);
    fromEdit_->setText(QStringLiteral("0"));
    toEdit_->setText(QStringLiteral("0"));
}

void CSettingPage::OnFromClicked()
{
    fromEdit_->setEnabled(true);
    toEdit_->setEnabled(true);
}

bool CSettingPage::ExchangePageNumber(QLineEdit* edit, int32_t& member)
{
    if (ParsePageNumber(edit->text(), member))
        return true;
    PwMessageBox(this, QStringLiteral("Please enter an integer."), MB_OK);
    edit->setFocus();
    edit->selectAll();
    return false;
}

bool CSettingPage::ExchangeFromControls()
{
    deleteGraphics_ = deleteAll_->isChecked() ? 1 : 0;
    allPages_ = all_->isChecked() ? 1 : 0;
    frameMode_ = inTextBoxes_->isChecked() ? 1 : 0;
    saveAs_ = saveAsDocx_->isChecked() ? OutputFormat::Docx
              : saveAsRtf_->isChecked() ? OutputFormat::Rtf
                                        : OutputFormat::Doc;
    pictureDpi_ = pictureQuality_->currentData().toInt();
    recogniseText_ = recognise_->isChecked() ? 1 : 0;
    if (const QVariant languages = ocrLanguage_->currentData(); languages.isValid())
        ocrLanguages_ = languages.toString().toStdString();
    // Going back must never be held up by a half-typed range.
    if (goingBack_)
        return true;
    return ExchangePageNumber(fromEdit_, firstPage_) && ExchangePageNumber(toEdit_, lastPage_);
}

bool CSettingPage::OnWizardBack()
{
    goingBack_ = 1;
    ExchangeFromControls();
    return true;
}

bool CSettingPage::OnWizardNext()
{
    goingBack_ = 0;
    if (!ExchangeFromControls())
        return false;
    const bool rangeValid = firstPage_ <= lastPage_ && firstPage_ > 0 && lastPage_ > 0;
    if (rangeValid || all_->isChecked())
        return true;
    PwMessageBox(this, QStringLiteral("Please enter a valid page range."), MB_OK);
    return false;
}

bool CSettingPage::OnQueryCancel()
{
    return AskToExit();
}
