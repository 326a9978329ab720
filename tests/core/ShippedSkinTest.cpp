// The shipped data folder installed as the program folder: its default skin is what the
// current-skin rule reads when no skin is chosen, and it passes the skin validator.

#include "core/SkinFile.h"

#include "CoreTestSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

class ShippedSkin : public coretest::CoreTest {};

TEST_F(ShippedSkin, DefaultSkinLoadsAndValidates) {
    namespace fs = std::filesystem;
    const fs::path data = JORVANA_DATA_DIR;
    fs::copy(data, coretest::HostPath(coretest::kProgramFolder), fs::copy_options::recursive);

    CurrentSkin skin = LoadCurrentSkin();
    ASSERT_TRUE(skin.loaded);
    EXPECT_TRUE(skin.isDefault);
    EXPECT_FALSE(skin.chosenUnreadable);
    EXPECT_STREQ(GetSkinValue(GetSkinSection(skin.text, L"Description"), L"N"), L"Jorvana Default");
    EXPECT_TRUE(ValidateSkinFile(coretest::InProgramFolder(L"default.skn").c_str()));
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(ShippedSkin, BuiltInDefaultSkinIsTheShippedFile) {
    namespace fs = std::filesystem;
    std::ifstream in(fs::path(JORVANA_DATA_DIR) / "default.skn", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_NE(bytes.find('<'), std::string::npos);
    EXPECT_EQ(BuiltInDefaultSkinText(), CString(bytes.substr(0, bytes.find('<')).c_str()));
}

} // namespace
