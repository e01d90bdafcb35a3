// Where the help pages live: the folder "Help/Help_ZQ1.0" beside the executable (the
// build tree, a copied program folder), then the same folder under the installed data
// directory (share/tessarin), found relative to the executable first so that a moved
// installation still finds its help.
#pragma once

#include <QString>
#include <QStringList>

namespace tessarin::shell {

inline constexpr char kHelpSubfolder[] = "Help/Help_ZQ1.0";
inline constexpr char kHelpIndex[] = "index.htm";

// The help folders to try, in order, without duplicates.
QStringList HelpFolders();
// The first existing "index.htm" in `folders`; empty when none has one.
QString FindHelpIndex(const QStringList& folders);

}  // namespace tessarin::shell
