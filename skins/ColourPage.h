#pragma once
// The mechanism every colour page of the appearance settings sheet shares: the page reads the
// current skin file itself, lists the section's colour elements, edits the selected element's
// SkinColor with three channel sliders and previews it, and offers the images and folders of the
// skin in combo boxes. The pages only hold values; the sheet writes them when it closes.
//
// [SECTION] Values and skin reading
// [SECTION] Sliders and element list
// [SECTION] Painting helpers
// [SECTION] Combo helpers

#include "controls/ChoiceCombo.h"
#include "core/RegistryKey.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/ListControls.h"
#include "platform/framework/PropertyPage.h"

#include <initializer_list>
#include <vector>

class CDC;

// What every page of the appearance settings sheet draws and measures alike.
// The pages' Arial font (default character set, antialiased).
void MakePageFont(CFont& font, int height, int weight);
// The light blue band across the top of a page, with the sheet's title in bold.
void PaintPageTitleBand(CDC& dc, int width);
// The width a page lays its controls out in: the work area's, or the page's own client width
// while the sheet shows its scroll bar beside the page (the raised input panel left the page
// less height than its controls need).
int PageLayoutWidth(const CWnd& page, int workWidth);

// The six sections a colour page edits, in the order the sheet keeps their flags.
enum SkinSectionIndex { kSectionGeneral, kSectionClocks, kSectionWeather, kSectionMap, kSectionCurrency,
                        kSectionTools, kSectionCount };

class CColourPage : public CPropertyPage {
    DECLARE_DYNAMIC(CColourPage)
public:
    // Re-reads the skin after another one was loaded, whether or not the window exists.
    virtual void ReloadFromSkin() = 0;

    int ColourCount() const { return static_cast<int>(m_colours.size()); }
    DWORD GetColour(int index) const { return m_colours.at(static_cast<size_t>(index)); }
    const CString& SkinName() const { return m_strSkinName; }
    const CString& SkinFolder() const { return m_strSkinFolder; }

    CListBox& Elements() { return m_listElements; }
    CSliderCtrl& RedSlider() { return m_sliderRed; }
    CSliderCtrl& GreenSlider() { return m_sliderGreen; }
    CSliderCtrl& BlueSlider() { return m_sliderBlue; }

protected:
    CColourPage(UINT nIDTemplate, int section, int colourCount);

    // [SECTION] Values and skin reading ----------------------------------------------------------
    // What a skin read reports.
    enum class SkinReport {
        All,         // 33073 and 33072, and the fallback written to `skin`
        None,        // silent, `skin` untouched
        DefaultOnly, // only 33072 when the fallback to default.skn fails too, `skin` untouched
    };
    // Reads the skin named by `skin` into the skin name, skin folder and page text. False when
    // no file could be read (the values are then left as they were).
    bool ReadPageSkin(SkinReport report);
    // The value of a key of a section of the page text.
    CString SkinValue(LPCWSTR section, LPCWSTR key) const;
    // A colour value read as an unsigned decimal number (a non-number gives 0).
    static DWORD ParseColour(const CString& text);
    // Reads the colours of keys (in element order) from a section.
    void ReadColours(LPCWSTR section, std::initializer_list<const wchar_t*> keys);
    // Sets this page's flag in the sheet.
    void MarkSectionShown();

    // [SECTION] Sliders and element list ---------------------------------------------------------
    // The three sliders take the range 0..255.
    void SetSliderRanges(BOOL redraw = FALSE);
    // Places the three sliders one under the other from top, as wide as the page allows.
    void PlaceSliders(int top);
    // Reads the work area, then lays out the pages whose first row holds a combo after a label
    // m_sizeLabel wide and whose second row holds another combo: the first-row combos (the landscape one beside the
    // first, when given), the second-row combo, the element list and the sliders.
    void LayOutComboRows(CComboBox& first, CComboBox* landscape, CComboBox& second);
    // The element list at (left, top), as many whole rows high as fit above bottom: it moves up
    // as far as highestTop (under the combo row) to show two.
    void PlaceElementList(int left, int top, int width, int highestTop, int bottom);
    // On a square screen the first combo takes the whole row after its label.
    void WidenFirstComboOnSquare(CComboBox& first);
    void ShowColourOnSliders(DWORD colour);
    DWORD ColourFromSliders() const;
    // The colour member the selection edits, -1 when nothing is selected.
    virtual int SelectedColourIndex() const;
    // Fills the element list with strings of the string table (0: the separator ".::.").
    void FillElements(const std::vector<UINT>& ids);
    // The areas that show the channel values and the preview, for both paint lay-outs (the tall
    // one's preview starts at m_nTallPreviewTop).
    virtual void InvalidatePreview();

    // [SECTION] Painting helpers -----------------------------------------------------------------
    struct ChannelRows {
        int labelY; // first of the three rows; the others follow 20 pixels apart
        int thinY;  // the 2-pixel preview line
        int thickY; // the 3-pixel preview line
        int sampleY;
    };
    void ReadWorkArea();
    // Tall for painting: portrait, or enough height below the menu bar.
    bool IsTallPaint() const { return m_nWidth < m_nHeight || m_nUsableHeight > 244; }
    void PaintHeader(CDC& dc);
    // Draws a string-table text in Arial; returns its extent.
    CSize PaintText(CDC& dc, UINT id, int x, int y, int height, int weight = FW_NORMAL);
    CSize MeasureText(UINT id, int height, int weight = FW_NORMAL);
    // "R:", "G:", "B:", the slider values and the preview in the slider colour. The shown values
    // and colour are scaled by scale (255 for the shadow colour's channel choice).
    void PaintChannels(CDC& dc, const ChannelRows& rows, int scale = 1);
    void PaintPortraitLandscapeLabels(CDC& dc);

    // [SECTION] Combo helpers --------------------------------------------------------------------
    // Adds "\" + name of each file matching the pattern (folders left out).
    static void AddFiles(CComboBox& combo, const CString& pattern);
    // Adds "\" + name + "\" of each entry matching the pattern whose attributes are exactly the
    // directory attribute.
    static void AddPlainFolders(CComboBox& combo, const CString& pattern);
    // The text from the last "\" on (the whole text when it holds none).
    static CString FromLastBackslash(const CString& value);
    // The text up to, not including, the last "\" (empty when it holds none).
    static CString UpToLastBackslash(const CString& value);
    // Selects the entry equal to the text (letter case ignored); -1 when there is none.
    static int SelectEntry(CComboBox& combo, const CString& text);
    // The text of the selected entry into value; a combo without a selection leaves it.
    static void ReadBack(CComboBox& combo, CString& value);
    // The widest entry of the measured combo plus the edges and the scroll bar.
    static int DropWidthOf(CComboBox& measured);

    // Places the page's controls for the current work area.
    virtual void LayOut() = 0;

    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnDestroy();
    // Both lay the page out again; a setting change repaints it too.
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    DECLARE_MESSAGE_MAP()

    std::vector<DWORD> m_colours;
    CString m_strWork;
    CString m_strSkinName;
    CString m_strPageText;
    CString m_strSkinFolder;
    CListBox m_listElements;
    CSliderCtrl m_sliderBlue;
    CSliderCtrl m_sliderGreen;
    CSliderCtrl m_sliderRed;
    CBrush m_brushPreview;
    CPen m_penPreview;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nUsableHeight = 0;
    int m_nMenuHeight = 0;
    // The label before the first combo, as painted or measured.
    CSize m_sizeLabel;
    CRegistryKey m_registry;
    int m_nSection;
    int m_nTallPreviewTop = 176;
};

// A colour page that also chooses the section's portrait, landscape and square background images
// (folder of the skin's common folders + file name). The portrait combo (IDC_UI_COMBO_FIRST)
// chooses the square image on a square screen, where the landscape combo is hidden. The pages
// with a third combo (map image, weather icon set) fill it in FillCombos.
class CBackgroundColourPage : public CColourPage {
    DECLARE_DYNAMIC(CBackgroundColourPage)
public:
    // Re-reads the skin silently, selects the first element and refills the combos.
    void ReloadFromSkin() override;

    const CString& PortraitImage() const { return m_strPortraitImage; }
    const CString& LandscapeImage() const { return m_strLandscapeImage; }
    const CString& SquareImage() const { return m_strSquareImage; }
    CComboBox& PortraitCombo() { return m_comboPortrait; }
    CComboBox& LandscapeCombo() { return m_comboLandscape; }

protected:
    CBackgroundColourPage(UINT nIDTemplate, int section, int colourCount, UINT landscapeComboId);

    // Reads the page's skin values; false when no skin file was read.
    virtual bool LoadSkinValues(SkinReport report) = 0;
    // Refills the combos from the skin folder; this one fills the two image combos.
    virtual void FillCombos() { FillBackgroundCombos(); }

    // Reads the three background images of a section.
    void ReadBackgroundImages(LPCWSTR section);
    // Fills the portrait (or square) and landscape combos with the JPEG files of the images'
    // folders and selects the current images.
    void FillBackgroundCombos();
    // Shows the landscape combo unless the screen is square; sizes both combos' lists, and reads
    // their selections back. Returns the dropped width given to them.
    int SetUpBackgroundCombos();
    void ShowLandscapeCombo();

    void DoDataExchange(CDataExchange* pDX) override;
    void OnSelChangePortraitImage();
    void OnSelChangeLandscapeImage();
    // A selection change of one of the page's combos that the page's own map does not handle:
    // the portrait and the landscape combo read back their images.
    afx_msg void OnSelChangeCombo(UINT id);
    DECLARE_MESSAGE_MAP()

    CString m_strPortraitImage;
    CString m_strLandscapeImage;
    CString m_strSquareImage;
    CChoiceCombo m_comboLandscape;
    CChoiceCombo m_comboPortrait;

private:
    UINT m_nLandscapeComboId;
};
