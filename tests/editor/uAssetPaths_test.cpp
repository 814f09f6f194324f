#include "uAssetPaths.h"

#include "common/TestHelpers.h"

#include <gtest/gtest.h>

TEST(AssetPaths, FreeNameCountsFromTwoAndHonoursReservations) {
    TTempDir dir;
    const std::string root = dir / "proj";
    PutFile(root + "/assets/images/photo.png", "old");
    PutFile(root + "/assets/images/photo_2.png", "old");
    TAssetReservation r;
    ASSERT_TRUE(ReserveImageAssetPath(root, "/elsewhere/photo.png", r));
    EXPECT_EQ(r.RelativeAddress, "assets/images/photo_3.png");
    EXPECT_EQ(r.DestinationPath, root + "/assets/images/photo_3.png");
    EXPECT_FALSE(FileExists(r.DestinationPath));  // nothing is copied

    // Within one command a reserved name is taken although its file is not written yet.
    TReservedAssetPaths reserved;
    ASSERT_TRUE(ReserveCssAssetPath(root, "/a/site.css", r, &reserved));
    EXPECT_EQ(r.RelativeAddress, "assets/css/site.css");
    EXPECT_TRUE(DirectoryExists(root + "/assets/css"));
    ASSERT_TRUE(ReserveCssAssetPath(root, "/b/site.css", r, &reserved));
    EXPECT_EQ(r.RelativeAddress, "assets/css/site_2.css");

    EXPECT_FALSE(ReserveAssetPath("", "/a/x.png", "assets/images", "assets/images", r));
    EXPECT_FALSE(ReserveAssetPath(root, "", "assets/images", "assets/images", r));
    EXPECT_FALSE(ReserveAssetPath(root, "/a/x.png", "", "assets/images", r));
    EXPECT_FALSE(ReserveAssetPath(root, "/a/x.png", "assets/images", "", r));
}

TEST(AssetPaths, FolderByExtension) {
    const struct { const char* file; const char* address; } cases[] = {
        {"a.PNG", "assets/images/a.PNG"}, {"a.avif", "assets/images/a.avif"}, {"f.woff2", "assets/fonts/f.woff2"},
        {"v.ogv", "assets/media/v.ogv"},  {"s.Css", "assets/css/s.Css"},      {"doc.pdf", "assets/files/doc.pdf"},
        {"README", "assets/files/README"},
    };
    TTempDir dir;
    for (const auto& c : cases) {
        TAssetReservation r;
        ASSERT_TRUE(ReserveAssetPathByExtension(dir.Path(), std::string("/src/") + c.file, r));
        EXPECT_EQ(r.RelativeAddress, c.address);
    }
}

TEST(AssetPaths, ExternalReferencesAndStripping) {
    for (const char* v : {"", "  ", "HTTP://x", "https:x", " data:image/png,", "mailto:a", "doc:ABC", "//cdn/x.png",
                          "#top", "JavaScript:void(0)", "tel:1", "cid:x"})
        EXPECT_TRUE(IsExternalRef(v)) << v;
    for (const char* v : {"a.png", "/abs.png", "file:///a.png", "ftp.png", "../up.png"})
        EXPECT_FALSE(IsExternalRef(v)) << v;
    EXPECT_EQ(StripQueryAndFragment("  a.png?x=1#frag "), "a.png");
    EXPECT_EQ(StripQueryAndFragment("a.woff#x?y"), "a.woff");
}

TEST(AssetPaths, ResolvesAddressesAgainstTheBaseFolder) {
    TTempDir dir;
    const std::string base = dir / "site/pages";
    PutFile(dir / "site/pages/img/a b.png", "x");
    PutFile(dir / "site/pages/rooted.png", "x");
    PutFile(dir / "site/shared/c\xC3\xA9.png", "x");
    const struct { std::string value, local, css; } cases[] = {
        {"img/a%20b.png?v=2", base + "/img/a b.png", base + "/img/a b.png"},
        {"img/a+b.png", base + "/img/a b.png", base + "/img/a b.png"},
        {"../shared/c%C3%A9.png", dir / "site/shared/c\xC3\xA9.png", dir / "site/shared/c\xC3\xA9.png"},
        {"../../../../../../../../x.png", "/x.png", "/x.png"},
        {"file://" + base + "/img/a%20b.png", base + "/img/a b.png", base + "/img/a b.png"},
        {base + "/img/./a b.png", base + "/img/a b.png", base + "/img/a b.png"},
        // A site-root address naming no file is tried below the base folder, in the document only.
        {"/rooted.png", base + "/rooted.png", "/rooted.png"},
        {"#only-fragment", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveLocalPath(c.value, base), c.local) << c.value;
        EXPECT_EQ(ResolveCssPath(c.value, base), c.css) << c.value;
    }
}

TEST(AssetPaths, MalformedEscapesAndNulRaise) {
    for (const char* v : {"a%2.png", "a%zz.png", "a%"}) {
        EXPECT_THROW(ResolveLocalPath(v, "/base"), EAppError) << v;
        EXPECT_THROW(ResolveCssPath(v, "/base"), EAppError) << v;
    }
    EXPECT_THROW(ResolveLocalPath("a%00.png", "/base"), EAppError);
    EXPECT_THROW(ResolveLocalPath("file:///a%00.png", "/base"), EAppError);
    EXPECT_EQ(UrlDecode("%e2%82%ac%41"), "\xE2\x82\xAC" "A");
    EXPECT_EQ(UrlDecode("%FF"), "\xEF\xBF\xBD");
}

TEST(AssetPaths, TextIsUtf8ElseWindows1252) {
    TTempDir dir;
    PutFile(dir / "u.html", "\xEF\xBB\xBF" "caf\xC3\xA9");
    PutFile(dir / "w.html", "caf\xE9 \x80 \x96 \x81");
    EXPECT_EQ(ReadImportTextFile(dir / "u.html"), "caf\xC3\xA9");
    EXPECT_EQ(ReadImportTextFile(dir / "w.html"), "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x93 \xC2\x81");
}

TEST(AssetPaths, CopyNeverOverwrites) {
    TTempDir dir;
    PutFile(dir / "a.png", "new");
    PutFile(dir / "b.png", "old");
    EXPECT_THROW(CopyAssetFile(dir / "a.png", dir / "b.png"), EAppError);
    EXPECT_EQ(GetFile(dir / "b.png"), "old");
    EXPECT_THROW(CopyAssetFile(dir / "missing.png", dir / "c.png"), EAppError);
    CopyAssetFile(dir / "a.png", dir / "c.png");
    EXPECT_EQ(GetFile(dir / "c.png"), "new");
}
