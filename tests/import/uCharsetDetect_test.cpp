// The character set a page is read in, chosen as browsers choose it.
#include "uCharsetDetect.h"

#include <gtest/gtest.h>

TEST(CharsetDetect, pagesAreReadInTheCharsetBrowsersWouldChoose) {
    const struct {
        const char* Name;
        std::string Bytes;
        std::string Text;  // expected UTF-8 text
        std::string Charset;
        TCharsetSource Source;
    } cases[] = {
        {"UTF-8 byte-order mark beats a declaration", "\xEF\xBB\xBF<meta charset=latin1>\xC3\xA9",
         "<meta charset=latin1>\xC3\xA9", "utf-8", TCharsetSource::ByteOrderMark},
        {"UTF-16LE byte-order mark", std::string("\xFF\xFE<\0p\0>\0\xE9\0", 10), "<p>\xC3\xA9", "utf-16le", TCharsetSource::ByteOrderMark},
        {"meta charset latin1 means windows-1252", "<meta charset=\"latin1\">\x93q\x94\x81", "<meta charset=\"latin1\">\xE2\x80\x9Cq\xE2\x80\x9D\xC2\x81",
         "windows-1252", TCharsetSource::Declaration},
        {"http-equiv ascii", "<META HTTP-EQUIV=Content-Type CONTENT='text/html; charset=US-ASCII'>\x80", 
         "<META HTTP-EQUIV=Content-Type CONTENT='text/html; charset=US-ASCII'>\xE2\x82\xAC", "windows-1252", TCharsetSource::Declaration},
        {"XML declaration", "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?><p>\xB1</p>", "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?><p>\xC4\x85</p>",
         "iso-8859-2", TCharsetSource::Declaration},
        {"koi8-r through ICU", "<meta charset=koi8-r>\xC1", "<meta charset=koi8-r>\xD0\xB0", "koi8-r", TCharsetSource::Declaration},
        {"a declared UTF-16 in ASCII bytes is UTF-8", "<meta charset=utf-16>\xC3\xA9", "<meta charset=utf-16>\xC3\xA9", "utf-8",
         TCharsetSource::Declaration},
        {"an unknown label is no declaration", "<meta charset=klingon>\xC3\xA9", "<meta charset=klingon>\xC3\xA9", "utf-8",
         TCharsetSource::ValidUtf8},
        {"a declaration in a comment does not count", "<!-- <meta charset=koi8-r> -->\xC3\xA9", "<!-- <meta charset=koi8-r> -->\xC3\xA9",
         "utf-8", TCharsetSource::ValidUtf8},
        {"neither: windows-1252", "<p>\x8D\x8F\x90\x9D\xE9", "<p>\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D\xC3\xA9", "windows-1252",
         TCharsetSource::Fallback},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TDecodedPage page = DecodeHtmlBytes(c.Bytes);
        EXPECT_EQ(page.Text, c.Text);
        EXPECT_EQ(page.Charset, c.Charset);
        EXPECT_EQ(page.Source, c.Source);
    }
}
