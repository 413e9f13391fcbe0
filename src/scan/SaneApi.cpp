#include "SaneApi.h"

#include <utility>

using namespace Qt::Literals::StringLiterals;

bool SaneApi::complete() const
{
    return init && exit && getDevices && open && close && getOptionDescriptor && controlOption && getParameters
        && start && read && cancel && strstatus;
}

QString SaneApi::statusText(SANE_Status status) const
{
    const char *text = strstatus ? strstatus(status) : nullptr;
    if (text && *text)
        return QString::fromUtf8(text);
    return u"SANE status %1"_s.arg(int(status));
}

namespace {

template <typename F>
bool resolve(QLibrary &library, const char *symbol, F &into)
{
    into = reinterpret_cast<F>(library.resolve(symbol));
    return into != nullptr;
}

} // namespace

SaneLibrary::SaneLibrary(const QString &fileName) : m_fileName(fileName), m_library(std::make_unique<QLibrary>(fileName))
{
    // Once loaded, the library stays for the life of the process: backends it loaded keep
    // threads and exit handlers of their own that must not outlive its code.
    m_library->setLoadHints(QLibrary::PreventUnloadHint);
    if (!m_library->load()) {
        m_problem = u"%1 could not be loaded: %2"_s.arg(fileName, m_library->errorString());
        m_library.reset();
        return;
    }
    QLibrary &l = *m_library;
    const std::pair<const char *, bool> entries[] = {
        {"sane_init", resolve(l, "sane_init", m_api.init)},
        {"sane_exit", resolve(l, "sane_exit", m_api.exit)},
        {"sane_get_devices", resolve(l, "sane_get_devices", m_api.getDevices)},
        {"sane_open", resolve(l, "sane_open", m_api.open)},
        {"sane_close", resolve(l, "sane_close", m_api.close)},
        {"sane_get_option_descriptor", resolve(l, "sane_get_option_descriptor", m_api.getOptionDescriptor)},
        {"sane_control_option", resolve(l, "sane_control_option", m_api.controlOption)},
        {"sane_get_parameters", resolve(l, "sane_get_parameters", m_api.getParameters)},
        {"sane_start", resolve(l, "sane_start", m_api.start)},
        {"sane_read", resolve(l, "sane_read", m_api.read)},
        {"sane_cancel", resolve(l, "sane_cancel", m_api.cancel)},
        {"sane_strstatus", resolve(l, "sane_strstatus", m_api.strstatus)},
    };
    for (const auto &[name, found] : entries) {
        if (!found) {
            m_problem = u"%1 has no entry %2"_s.arg(fileName, QString::fromLatin1(name));
            m_api = {};
            m_library.reset();
            return;
        }
    }
}

SaneLibrary::~SaneLibrary() = default;
