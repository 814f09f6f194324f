#include "uPdfOutline.h"

#include "uExportPdf.h"
#include "uPdfHeadingSearch.h"
#include "uUtils.h"

// Only the shared_ptr interface of qpdf, none of its older pointer holder.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// How far above a heading's first word a bookmark lands, in points, so the heading is not cut.
constexpr double HeadingLead = 6;

std::string CollapseWhiteSpace(const std::string& AText) {
    std::string out;
    bool space = false;
    for (char c : AText) {
        if (static_cast<unsigned char>(c) <= 0x20) {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += c;
    }
    return out;
}

// A temporary file beside the target, removed unless Commit moved it over the target.
class TReplacementFile {
public:
    explicit TReplacementFile(const std::string& ATarget) : FTarget(ATarget) {
        std::string tmpl = ATarget + ".XXXXXX";
        const int fd = ::mkstemp(tmpl.data());
        if (fd < 0)
            throw EAppError("cannot create a temporary file beside " + ATarget + ": " + std::strerror(errno));
        ::close(fd);
        FPath = tmpl;
    }
    ~TReplacementFile() {
        if (!FPath.empty()) {
            std::error_code ec;
            fs::remove(FPath, ec);
        }
    }
    TReplacementFile(const TReplacementFile&) = delete;
    TReplacementFile& operator=(const TReplacementFile&) = delete;

    const std::string& Path() const { return FPath; }

    // Gives the new file the old one's permissions and puts it in its place.
    void Commit() {
        std::error_code ec;
        const fs::perms perms = fs::status(FTarget, ec).permissions();
        if (!ec)
            fs::permissions(FPath, perms, ec);
        fs::rename(FPath, FTarget, ec);
        if (ec)
            throw EAppError("cannot replace " + FTarget + ": " + ec.message());
        FPath.clear();
    }

private:
    std::string FTarget;
    std::string FPath;
};

// The upper edge of a page's visible area in its own coordinates.
double PageTopEdge(QPDFPageObjectHelper& APage) {
    QPDFObjectHandle box = APage.getCropBox(false, true);
    if (!box.isRectangle())
        return 792;  // a page without a usable box: US Letter, the reader's own default
    const QPDFObjectHandle::Rectangle r = box.getArrayAsRectangle();
    return std::max(r.lly, r.ury);
}

struct TOutlineNode {
    QPDFObjectHandle FItem;
    std::vector<size_t> FKids;  // indexes into the node list
};

// Links a parent to its children: /First, /Last, /Parent, /Prev, /Next.
void LinkKids(const QPDFObjectHandle& AParent, const std::vector<TOutlineNode>& ANodes, const std::vector<size_t>& AKids) {
    QPDFObjectHandle parent = AParent;
    if (AKids.empty())
        return;
    parent.replaceKey("/First", ANodes[AKids.front()].FItem);
    parent.replaceKey("/Last", ANodes[AKids.back()].FItem);
    for (size_t i = 0; i < AKids.size(); ++i) {
        QPDFObjectHandle item = ANodes[AKids[i]].FItem;
        item.replaceKey("/Parent", parent);
        if (i > 0)
            item.replaceKey("/Prev", ANodes[AKids[i - 1]].FItem);
        if (i + 1 < AKids.size())
            item.replaceKey("/Next", ANodes[AKids[i + 1]].FItem);
    }
}

}  // namespace

std::vector<TPdfBookmark> ManualBookmarks(const TDocProject& AProject) {
    std::vector<TPdfBookmark> bookmarks;
    ForEachTopicInTocOrder(AProject, [&](const TTopic& ATopic, int ADepth) {
        if (ATopic.ExcludePdf())
            return false;  // as in manual.html: the whole subtree stays out
        bookmarks.push_back({CollapseWhiteSpace(PdfHeadingText(AProject, ATopic.ID(), ATopic.Title())), ADepth});
        return true;
    });
    return bookmarks;
}

TPdfDocumentInfo ManualDocumentInfo(const TDocProject& AProject) {
    const std::string pagewell = std::string("Pagewell ") + PAGEWELL_VERSION;
    return {AProject.Title(), pagewell, pagewell};
}

// Bookmarks, document information and page mode written into an open document.
static void WriteOutlineInto(QPDF& pdf, const std::vector<TPdfBookmark>& ABookmarks, const TPdfDocumentInfo& AInfo);

void RewritePdfFile(const std::string& APdfFile, const std::function<void(QPDF& APdf)>& AEdit) {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processFile(APdfFile.c_str());
    AEdit(pdf);
    TReplacementFile out(APdfFile);
    QPDFWriter writer(pdf, out.Path().c_str());
    writer.setDeterministicID(true);
    writer.write();
    out.Commit();
}

void WritePdfOutline(const std::string& APdfFile, const std::vector<TPdfBookmark>& ABookmarks,
                     const TPdfDocumentInfo& AInfo) {
    RewritePdfFile(APdfFile, [&](QPDF& pdf) { WriteOutlineInto(pdf, ABookmarks, AInfo); });
}

static void WriteOutlineInto(QPDF& pdf, const std::vector<TPdfBookmark>& ABookmarks, const TPdfDocumentInfo& AInfo) {
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();

    // The tree of bookmarks: a stack of the open ancestors of the next entry.
    std::vector<TOutlineNode> nodes;
    std::vector<size_t> roots;
    std::vector<std::pair<int, size_t>> ancestors;  // (depth, node)
    for (const TPdfBookmark& b : ABookmarks) {
        if (b.FPage < 0 || b.FPage >= static_cast<int>(pages.size()))
            throw EAppError("bookmark \"" + b.FTitle + "\" points at page " + IntToStr(b.FPage + 1) + " of " +
                            IntToStr(static_cast<long long>(pages.size())));
        QPDFPageObjectHelper& page = pages[b.FPage];
        const double y = std::min(PageTopEdge(page), PageTopEdge(page) - b.FTop + HeadingLead);
        QPDFObjectHandle dest = QPDFObjectHandle::newArray();
        dest.appendItem(page.getObjectHandle());
        dest.appendItem(QPDFObjectHandle::newName("/XYZ"));
        dest.appendItem(QPDFObjectHandle::newNull());
        dest.appendItem(QPDFObjectHandle::newReal(y, 2));
        dest.appendItem(QPDFObjectHandle::newNull());
        QPDFObjectHandle item = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(b.FTitle));
        item.replaceKey("/Dest", dest);

        while (!ancestors.empty() && ancestors.back().first >= b.FDepth)
            ancestors.pop_back();
        const size_t index = nodes.size();
        nodes.push_back({item, {}});
        if (ancestors.empty())
            roots.push_back(index);
        else
            nodes[ancestors.back().second].FKids.push_back(index);
        ancestors.emplace_back(b.FDepth, index);
    }

    QPDFObjectHandle outlines = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    LinkKids(outlines, nodes, roots);
    // Root entries are open, so their children show; everything deeper is closed, and a closed
    // entry's count is minus the children it would show.
    long long visible = static_cast<long long>(roots.size());
    for (size_t root : roots)
        visible += static_cast<long long>(nodes[root].FKids.size());
    outlines.replaceKey("/Count", QPDFObjectHandle::newInteger(visible));
    std::vector<bool> isRoot(nodes.size());
    for (size_t root : roots)
        isRoot[root] = true;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const long long kids = static_cast<long long>(nodes[i].FKids.size());
        LinkKids(nodes[i].FItem, nodes, nodes[i].FKids);
        if (kids > 0)
            nodes[i].FItem.replaceKey("/Count", QPDFObjectHandle::newInteger(isRoot[i] ? kids : -kids));
    }

    QPDFObjectHandle root = pdf.getRoot();
    if (ABookmarks.empty())
        root.removeKey("/Outlines");
    else
        root.replaceKey("/Outlines", outlines);
    root.replaceKey("/PageMode", QPDFObjectHandle::newName(ABookmarks.empty() ? "/UseNone" : "/UseOutlines"));

    QPDFObjectHandle trailer = pdf.getTrailer();
    QPDFObjectHandle info = trailer.getKey("/Info");
    if (!info.isDictionary()) {
        info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        trailer.replaceKey("/Info", info);
    }
    info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(AInfo.FTitle));
    info.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString(AInfo.FCreator));
    info.replaceKey("/Producer", QPDFObjectHandle::newUnicodeString(AInfo.FProducer));
}

TPdfOutlineResult AddManualOutline(const TDocProject& AProject, const std::string& APdfFile) {
    try {
        std::vector<TPdfBookmark> bookmarks = ManualBookmarks(AProject);
        std::vector<std::string> headings;
        headings.reserve(bookmarks.size());
        for (const TPdfBookmark& b : bookmarks)
            headings.push_back(b.FTitle);
        const std::vector<TPdfHeadingPlace> places = FindHeadingPlaces(APdfFile, headings);
        TPdfOutlineResult result;
        for (size_t i = 0; i < bookmarks.size(); ++i) {
            bookmarks[i].FPage = places[i].FPage;
            bookmarks[i].FTop = places[i].FTop;
            if (!places[i].FFound)
                ++result.FUnresolved;
        }
        WritePdfOutline(APdfFile, bookmarks, ManualDocumentInfo(AProject));
        result.FBookmarks = bookmarks.size();
        return result;
    } catch (const std::exception& e) {
        throw EAppError("Adding bookmarks and metadata to " + APdfFile + " failed: " + e.what());
    }
}

std::string UnresolvedBookmarksNote(size_t AUnresolved) {
    if (AUnresolved == 0)
        return {};
    if (AUnresolved == 1)
        return "1 bookmark of the PDF manual points at the page of the bookmark before it: its heading was not "
               "found in the printed text.";
    return IntToStr(static_cast<long long>(AUnresolved)) +
           " bookmarks of the PDF manual point at the page of the bookmark before them: their headings were not "
           "found in the printed text.";
}
