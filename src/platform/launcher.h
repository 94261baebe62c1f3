#pragma once
// Starting other programs: the upgrade utility and a waiting patch.

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
};

class ProcessLauncher final : public ProgramLauncher {
  public:
    bool startDetached(const QString& program, const QStringList& arguments,
                       const QString& workingFolder, QString* failure) override;
    bool runAndWait(const QString& program, const QStringList& arguments,
                    const QString& workingFolder, QString* failure) override;
};

} // namespace qm
