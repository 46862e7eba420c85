#include "fonts/FontFace.h"
#include "fonts/FontTestSupport.h"

#include <fstream>

namespace fixrd::test {
namespace {

// The face reads its file through blocks of its own; every glyph must load
// exactly as FreeType's own reading of the same file gives it, also when the
// glyphs are asked for out of order, so that blocks are replaced.
TEST(FontFace, ReadsEveryGlyphAsFreeTypeItselfDoes) {
    std::string font = dejaVu();
    std::string path = (std::filesystem::temp_directory_path() / "fixrd-face-test.ttf").string();
    std::ofstream(path, std::ios::binary).write(font.data(), static_cast<std::streamsize>(font.size()));
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face reference = nullptr;
    ASSERT_EQ(FT_New_Face(library, path.c_str(), 0, &reference), 0);
    {
        FontFace face;
        ASSERT_EQ(face.open(library, path.c_str()), 0);
        ASSERT_EQ(face.glyphCount(), static_cast<size_t>(reference->num_glyphs));
        size_t glyphs = face.glyphCount();
        for (size_t step = 0; step < glyphs; ++step) {
            auto glyph = static_cast<FT_UInt>((step * 2654435761u) % glyphs);   // every glyph, scattered
            GlyphMetrics ours;
            ASSERT_TRUE(face.loadMetrics(glyph, ours)) << "glyph " << glyph;
            ASSERT_EQ(FT_Load_Glyph(reference, glyph, FT_LOAD_NO_SCALE), 0);
            const FT_Glyph_Metrics &m = reference->glyph->metrics;
            ASSERT_EQ(ours.horiAdvance, m.horiAdvance) << "glyph " << glyph;
            ASSERT_EQ(ours.width, m.width) << "glyph " << glyph;
            ASSERT_EQ(ours.horiBearingY, m.horiBearingY) << "glyph " << glyph;
        }
    }
    FT_Done_Face(reference);
    FT_Done_FreeType(library);
    std::filesystem::remove(path);
}

} // namespace
} // namespace fixrd::test
