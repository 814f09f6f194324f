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

std::vector<TPdfBookmark> ManualBookmarks(const std::vector<TManualSection>& ASections,
                                          const std::vector<TPdfHeadingPlace>& APlaces, int APageOffset) {
    std::vector<TPdfBookmark> bookmarks;
    bookmarks.reserve(ASections.size());
    for (size_t i = 0; i < ASections.size(); ++i) {
        TPdfBookmark b{CollapseWhiteSpace(ASections[i].FHeading), ASections[i].FDepth};
        if (i < APlaces.size()) {
            b.FPage = APlaces[i].FPage + APageOffset;
            b.FTop = APlaces[i].FTop;
        }
        bookmarks.push_back(std::move(b));
    }
    return bookmarks;
}

TPdfDocumentInfo ManualDocumentInfo(const TDocProject& AProject) {
    const std::string pagewell = std::string("Pagewell ") + PAGEWELL_VERSION;
    return {AProject.Title(), pagewell, pagewell};
}

void RewritePdfFile(const std::string& APdfFile, const std::function<void(QPDF& APdf)>& AEdit) {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processFile(APdfFile.c_str());
    AEdit(pdf);
    WritePdfFileReplacing(pdf, APdfFile);
}

void WritePdfFileReplacing(QPDF& APdf, const std::string& AFile) {
    TReplacementFile out(AFile);
    QPDFWriter writer(APdf, out.Path().c_str());
    writer.setDeterministicID(true);
    writer.write();
    out.Commit();
}

void WritePdfOutline(const std::string& APdfFile, const std::vector<TPdfBookmark>& ABookmarks,
                     const TPdfDocumentInfo& AInfo) {
    RewritePdfFile(APdfFile, [&](QPDF& pdf) { WritePdfOutline(pdf, ABookmarks, AInfo); });
}

QPDFObjectHandle PdfPlaceDestination(QPDFPageObjectHelper& APage, double AFromTop) {
    const double y = std::min(PageTopEdge(APage), PageTopEdge(APage) - AFromTop + HeadingLead);
    QPDFObjectHandle dest = QPDFObjectHandle::newArray();
    dest.appendItem(APage.getObjectHandle());
    dest.appendItem(QPDFObjectHandle::newName("/XYZ"));
    dest.appendItem(QPDFObjectHandle::newNull());
    dest.appendItem(QPDFObjectHandle::newReal(y, 2));
    dest.appendItem(QPDFObjectHandle::newNull());
    return dest;
}

void WritePdfOutline(QPDF& pdf, const std::vector<TPdfBookmark>& ABookmarks, const TPdfDocumentInfo& AInfo) {
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();

    // The tree of bookmarks: a stack of the open ancestors of the next entry.
    std::vector<TOutlineNode> nodes;
    std::vector<size_t> roots;
    std::vector<std::pair<int, size_t>> ancestors;  // (depth, node)
    for (const TPdfBookmark& b : ABookmarks) {
        if (b.FPage < 0 || b.FPage >= static_cast<int>(pages.size()))
            throw EAppError("bookmark \"" + b.FTitle + "\" points at page " + IntToStr(b.FPage + 1) + " of " +
                            IntToStr(static_cast<long long>(pages.size())));
        QPDFObjectHandle dest = PdfPlaceDestination(pages[b.FPage], b.FTop);
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
