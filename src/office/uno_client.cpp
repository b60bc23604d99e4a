#include "office/uno_client.h"

#include <chrono>
#include <cstdlib>
#include <csignal>
#include <mutex>
#include <unistd.h>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/drawing/FillStyle.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/text/WritingMode2.hpp>
#include <com/sun/star/text/XTextFramesSupplier.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/ustring.hxx>

#include "office/office_files.h"

using namespace com::sun::star;
using uno::Reference;
using uno::UNO_QUERY;
using uno::UNO_QUERY_THROW;

namespace {

constexpr sal_Int16 kFullyTransparent = 100;  // BackColorTransparency of a see-through frame

// The process's own UNO context; made once and kept for the life of the
// process (tearing it down during exit is not safe).
Reference<uno::XComponentContext>* g_localContext = nullptr;

rtl::OUString ToOUString(const std::string& text)
{
    return rtl::OUString(text.data(), static_cast<sal_Int32>(text.size()), RTL_TEXTENCODING_UTF8);
}

beans::PropertyValue Property(const char* name, const uno::Any& value)
{
    beans::PropertyValue property;
    property.Name = rtl::OUString::createFromAscii(name);
    property.Value = value;
    return property;
}

// Imported paragraph frames inherit from the "Frame" style, which paints
// them opaque white over the page picture; one change on the style clears
// them all.
void MakeFramesTransparent(const Reference<lang::XComponent>& document)
{
    try {
        Reference<style::XStyleFamiliesSupplier> supplier(document, UNO_QUERY);
        if (!supplier.is())
            return;
        Reference<container::XNameAccess> frameStyles(
            supplier->getStyleFamilies()->getByName("FrameStyles"), UNO_QUERY);
        if (!frameStyles.is() || !frameStyles->hasByName("Frame"))
            return;
        Reference<beans::XPropertySet> frameStyle(frameStyles->getByName("Frame"), UNO_QUERY);
        if (!frameStyle.is())
            return;
        frameStyle->setPropertyValue("FillStyle", uno::Any(drawing::FillStyle_NONE));
        frameStyle->setPropertyValue("BackColorTransparency", uno::Any(kFullyTransparent));
    } catch (const uno::RuntimeException&) {
        throw;   // the connection broke: the caller must know
    } catch (...) {
        // A document without the style still converts; the frames may then
        // hide the picture, which is better than no document.
    }
}

bool HasLine(const table::BorderLine2& line)
{
    return line.OuterLineWidth != 0 || line.InnerLineWidth != 0 || line.LineWidth != 0;
}

// Text boxes come in with a border of zero outer width but a set line
// width: not drawn, yet written to a .doc as a black frame line. They are
// cleared to no border at all. A bottom-to-top box is stored in a .doc so
// that, read back, it is turned about its lower left corner instead of
// standing in its own place: it is moved down by its height less its
// width, which the reading turns back. Only frames that need it are
// changed. Each frame costs calls (about 2.5 ms), so only documents with
// text boxes are looked at.
void MendTextFrames(const Reference<lang::XComponent>& document, bool wordDocument)
{
    try {
        Reference<text::XTextFramesSupplier> supplier(document, UNO_QUERY);
        if (!supplier.is())
            return;
        Reference<container::XIndexAccess> frames(supplier->getTextFrames(), UNO_QUERY);
        if (!frames.is())
            return;
        const uno::Any none(table::BorderLine2{});
        const sal_Int32 count = frames->getCount();
        for (sal_Int32 i = 0; i < count; ++i) {
            Reference<beans::XPropertySet> frame(frames->getByIndex(i), UNO_QUERY);
            if (!frame.is())
                continue;
            table::BorderLine2 line;
            if ((frame->getPropertyValue("TopBorder") >>= line) && HasLine(line)) {
                for (const char* side : {"TopBorder", "BottomBorder", "LeftBorder", "RightBorder"})
                    frame->setPropertyValue(rtl::OUString::createFromAscii(side), none);
            }
            sal_Int16 mode = 0;
            if (!wordDocument || !(frame->getPropertyValue("WritingMode") >>= mode) ||
                mode != text::WritingMode2::BT_LR)
                continue;
            sal_Int32 height = 0, width = 0, top = 0;
            if ((frame->getPropertyValue("Height") >>= height) && (frame->getPropertyValue("Width") >>= width) &&
                (frame->getPropertyValue("VertOrientPosition") >>= top) && height > 0 && width > 0)
                frame->setPropertyValue("VertOrientPosition", uno::Any(sal_Int32(top + height - width)));
        }
    } catch (const uno::RuntimeException&) {
        throw;
    } catch (...) {
        // The document still converts, with what its frames had.
    }
}

void CloseDocument(const Reference<lang::XComponent>& document)
{
    try {
        Reference<util::XCloseable> closeable(document, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            document->dispose();
    } catch (const uno::RuntimeException&) {
        throw;
    } catch (...) {
        try {
            document->dispose();
        } catch (...) {
        }
    }
}

} // namespace

#ifdef PW_SANITIZE_BUILD
// The UNO runtime keeps its type descriptions until the process ends and
// never frees them; LeakSanitizer would fail every program that converted
// a document. Only allocations made inside the suite's libraries are let off.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:/usr/lib/libreoffice/\n";
}
#endif

bool BootstrapUno(const std::string& programFolder)
{
    static std::mutex bootstrapMutex;
    std::lock_guard<std::mutex> lock(bootstrapMutex);
    if (g_localContext)
        return g_localContext->is();
    // Only a real installation can bootstrap the runtime; anything else is
    // not remembered, so a later call with the real suite still can.
    const std::string rcFile = programFolder + "/fundamentalrc";
    if (access(rcFile.c_str(), R_OK) != 0)
        return false;
    // The runtime finds its type and service registries through this
    // variable; a value the user set wins.
    const std::string bootstrap = "vnd.sun.star.pathname:" + rcFile;
    setenv("URE_BOOTSTRAP", bootstrap.c_str(), 0);
    // The bridge writes to the suite's pipe without MSG_NOSIGNAL: when an
    // instance dies mid-call the write must fail (and the instance be
    // replaced) rather than SIGPIPE ending the whole program.
    signal(SIGPIPE, SIG_IGN);
    g_localContext = new Reference<uno::XComponentContext>();
    try {
        *g_localContext = cppu::defaultBootstrap_InitialComponentContext();
    } catch (...) {
        g_localContext->clear();
    }
    return g_localContext->is();
}

struct CUnoClient::CImpl {
    Reference<frame::XDesktop2> desktop;
    OfficeStepTimes times;
};

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

CUnoClient::CUnoClient() : m_impl(std::make_unique<CImpl>()) {}

CUnoClient::~CUnoClient()
{
    Disconnect();
}

bool CUnoClient::Connect(const std::string& pipeName)
{
    if (!g_localContext || !g_localContext->is())
        return false;
    try {
        Reference<bridge::XUnoUrlResolver> resolver = bridge::UnoUrlResolver::create(*g_localContext);
        const std::string url = "uno:pipe,name=" + pipeName + ";urp;StarOffice.ComponentContext";
        Reference<uno::XComponentContext> remote(resolver->resolve(ToOUString(url)), UNO_QUERY);
        if (!remote.is())
            return false;
        m_impl->desktop = frame::Desktop::create(remote);
        return m_impl->desktop.is();
    } catch (...) {
        m_impl->desktop.clear();
        return false;
    }
}

bool CUnoClient::Connected() const
{
    return m_impl->desktop.is();
}

OfficeResult CUnoClient::Convert(const std::string& rtfUrl, const std::string& targetUrl,
                                 const std::string& filterName, bool mendTextBoxes, bool& instanceLost)
{
    instanceLost = false;
    m_impl->times = OfficeStepTimes();
    if (!m_impl->desktop.is()) {
        instanceLost = true;
        return OfficeResult::NotAvailable;
    }
    try {
        Reference<lang::XComponent> document;
        const auto loadStart = std::chrono::steady_clock::now();
        try {
            const beans::PropertyValue hidden[] = {Property("Hidden", uno::Any(true))};
            const uno::Sequence<beans::PropertyValue> loadProperties(hidden, 1);
            document = m_impl->desktop->loadComponentFromURL(ToOUString(rtfUrl), "_blank", 0,
                                                             loadProperties);
        } catch (const uno::RuntimeException&) {
            throw;
        } catch (...) {
            return OfficeResult::OpenFailed;   // IOException, IllegalArgumentException
        }
        if (!document.is())
            return OfficeResult::OpenFailed;

        MakeFramesTransparent(document);
        if (mendTextBoxes)
            MendTextFrames(document, filterName == ExportFilterName(OfficeFormat::Doc));
        m_impl->times.load = SecondsSince(loadStart);
        OfficeResult result = OfficeResult::Converted;
        const auto storeStart = std::chrono::steady_clock::now();
        try {
            Reference<frame::XStorable> storable(document, UNO_QUERY_THROW);
            const beans::PropertyValue store[] = {
                Property("FilterName", uno::Any(ToOUString(filterName))),
                Property("Overwrite", uno::Any(true)),
            };
            const uno::Sequence<beans::PropertyValue> storeProperties(store, 2);
            storable->storeToURL(ToOUString(targetUrl), storeProperties);
        } catch (const uno::RuntimeException&) {
            throw;
        } catch (...) {
            result = OfficeResult::SaveFailed;
        }
        m_impl->times.store = SecondsSince(storeStart);
        CloseDocument(document);
        return result;
    } catch (...) {
        // A RuntimeException here means the bridge to the instance is gone
        // (it crashed, or the watchdog killed it).
        instanceLost = true;
        m_impl->desktop.clear();
        return OfficeResult::NotAvailable;
    }
}

OfficeStepTimes CUnoClient::LastTimes() const
{
    return m_impl->times;
}

void CUnoClient::Terminate()
{
    try {
        if (m_impl->desktop.is())
            m_impl->desktop->terminate();
    } catch (...) {
        // The instance going away mid-call is the expected end.
    }
    Disconnect();
}

void CUnoClient::Disconnect()
{
    try {
        m_impl->desktop.clear();
    } catch (...) {
    }
}
