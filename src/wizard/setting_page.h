#pragma once
// Second page: text mode, graphics and picture quality, page range, and
// the format the documents are saved in.
#include <cstdint>

#include "conversion/settings.h"
#include "wizard/vovir_property_page.h"

#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class CTopBanner;

class CSettingPage : public CVovirPropertyPage {
    Q_OBJECT
public:
    explicit CSettingPage(QWidget* parent = nullptr);

    // The values of the last exchange with the controls.
    int32_t FrameModeChoice() const { return frameMode_; }
    int32_t DeleteGraphics() const { return deleteGraphics_; }
    int32_t AllPages() const { return allPages_; }
    int32_t FirstPage() const { return firstPage_; }
    int32_t LastPage() const { return lastPage_; }
    // Scanned pages get their text, in these recognition languages.
    int32_t RecogniseText() const { return recogniseText_; }
    const std::string& OcrLanguages() const { return ocrLanguages_; }
    OutputFormat SaveAsFormat() const { return saveAs_; }
    int32_t PictureDpi() const { return pictureDpi_; }

    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnWizardBack() override;
    bool OnWizardNext() override;
    bool OnQueryCancel() override;

    void OnAllClicked();
    void OnFromClicked();

    // The ids of the controls this page adds to the classic three groups.
    static constexpr int kSaveAsDocxId = 1060;
    static constexpr int kSaveAsDocId = 1061;
    static constexpr int kSaveAsRtfId = 1062;
    static constexpr int kNoOfficeNoteId = 1063;
    static constexpr int kPictureQualityId = 1064;

private:
    // Reads the controls into the members; false (after the integer
    // message) when a range edit does not hold an integer.
    bool ExchangeFromControls();
    // Reads one range edit; on failure shows the integer message and puts
    // the focus there.
    bool ExchangePageNumber(QLineEdit* edit, int32_t& member);
    // The "Scanned pages" group: the check box and the installed languages.
    void MakeScanControls();
    void InitScanControls();

    int32_t goingBack_ = 0;
    int32_t frameMode_ = 0;
    int32_t deleteGraphics_ = 0;
    int32_t allPages_ = 1;
    int32_t firstPage_ = 0;
    int32_t lastPage_ = 0;
    OutputFormat saveAs_ = OutputFormat::Doc;
    int32_t pictureDpi_ = kScreenPictureDpi;
    QRadioButton* inTextBoxes_;
    QRadioButton* withoutTextBoxes_;
    QCheckBox* deleteAll_;
    QRadioButton* all_;
    QRadioButton* from_;
    QLineEdit* fromEdit_;
    QLineEdit* toEdit_;
    QComboBox* pictureQuality_;
    QRadioButton* saveAsDocx_;
    QRadioButton* saveAsDoc_;
    QRadioButton* saveAsRtf_;
    QLabel* noOfficeNote_;
    // Separate choices on one page: each group excludes only its own members.
    QButtonGroup* textModeGroup_;
    QButtonGroup* rangeGroup_;
    QButtonGroup* saveAsGroup_;
    CTopBanner* banner_ = nullptr;
    int32_t recogniseText_ = 0;
    std::string ocrLanguages_ = "eng";
    QCheckBox* recognise_ = nullptr;
    QComboBox* ocrLanguage_ = nullptr;
};
