#pragma once

#include <sane/sane.h>

#include <QLibrary>
#include <QString>

#include <memory>

// The entry points of the scanner library, taken from it at run time: a workstation without SANE
// still runs the program, with scanning unavailable. Tests may fill the table with functions of
// their own to play a device that misbehaves in ways no real backend can be asked to.
struct SaneApi
{
    SANE_Status (*init)(SANE_Int *version, SANE_Auth_Callback authorize) = nullptr;
    void (*exit)() = nullptr;
    SANE_Status (*getDevices)(const SANE_Device ***list, SANE_Bool localOnly) = nullptr;
    SANE_Status (*open)(SANE_String_Const name, SANE_Handle *handle) = nullptr;
    void (*close)(SANE_Handle handle) = nullptr;
    const SANE_Option_Descriptor *(*getOptionDescriptor)(SANE_Handle handle, SANE_Int option) = nullptr;
    SANE_Status (*controlOption)(SANE_Handle handle, SANE_Int option, SANE_Action action, void *value,
                                 SANE_Int *info) = nullptr;
    SANE_Status (*getParameters)(SANE_Handle handle, SANE_Parameters *params) = nullptr;
    SANE_Status (*start)(SANE_Handle handle) = nullptr;
    SANE_Status (*read)(SANE_Handle handle, SANE_Byte *data, SANE_Int maxLength, SANE_Int *length) = nullptr;
    void (*cancel)(SANE_Handle handle) = nullptr;
    SANE_String_Const (*strstatus)(SANE_Status status) = nullptr;

    // Whether every entry point is there.
    bool complete() const;
    // SANE's own words for a status, or its number when the library has no text for it.
    QString statusText(SANE_Status status) const;
};

// The scanner library opened with dlopen, every entry point resolved. A missing library or a
// missing entry leaves it not loaded, with the reason in English for the status bar's note.
class SaneLibrary
{
public:
    static constexpr const char *kDefaultFile = "libsane.so.1";

    explicit SaneLibrary(const QString &fileName = QString::fromLatin1(kDefaultFile));
    ~SaneLibrary();
    SaneLibrary(const SaneLibrary &) = delete;
    SaneLibrary &operator=(const SaneLibrary &) = delete;

    bool isLoaded() const { return m_api.complete(); }
    const SaneApi &api() const { return m_api; }
    const QString &problem() const { return m_problem; }
    const QString &fileName() const { return m_fileName; }

private:
    QString m_fileName;
    std::unique_ptr<QLibrary> m_library;
    SaneApi m_api;
    QString m_problem;
};
