#pragma once
// Starting other programs: the upgrade utility, a waiting patch, and the desktop's own
// application for a document.

#include <QString>
#include <QStringList>

namespace qm {

class ProgramLauncher {
  public:
    virtual ~ProgramLauncher() = default;
    // Starts program detached in workingFolder; on failure returns false with a description.
    virtual bool startDetached(const QString& program, const QStringList& arguments,
                               const QString& workingFolder, QString* failure) = 0;
    // Starts program and returns when it has finished, processing window events meanwhile.
    virtual bool runAndWait(const QString& program, const QStringList& arguments,
                            const QString& workingFolder, QString* failure) = 0;
    // Opens a file with the desktop's default application for its kind; false when nothing
    // could be started for it.
    virtual bool openDocument(const QString& path, QString* failure);
};

class ProcessLauncher final : public ProgramLauncher {
  public:
    bool startDetached(const QString& program, const QStringList& arguments,
                       const QString& workingFolder, QString* failure) override;
    bool runAndWait(const QString& program, const QStringList& arguments,
                    const QString& workingFolder, QString* failure) override;
};

} // namespace qm
