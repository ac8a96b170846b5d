// Where a host program finds the plug-in and the plug-in's message catalogs,
// starting from the folder that holds the program itself:
//
//   build folder    DIR/StdTalvane.so        DIR/locale/<lang>/LC_MESSAGES
//   installed tree  PREFIX/bin/talvane-host  PREFIX/lib/talvane/StdTalvane.so
//                                            PREFIX/share/talvane/locale
//
// The installed places are relative paths from the program's folder, fixed
// when the host is built, so an installed tree works under any prefix. The
// plug-in finds its own font and keyboard layouts the same way, from its
// own place.
#ifndef HOST_INSTALL_LAYOUT_H
#define HOST_INSTALL_LAYOUT_H

#include <string>
#include <utility>

class HostInstallLayout {
 public:
  // exeDir: the program's folder, without a final "/".
  explicit HostInstallLayout(std::string exeDir) : mExeDir(std::move(exeDir)) {}

  // StdTalvane.so beside the program when it is there, else the installed
  // plug-in (which may be missing too: loading it then reports that).
  std::string PluginPath() const;
  // The folder of <lang>/LC_MESSAGES/<domain>.mo catalogs: locale/ beside the
  // program when it is a folder, else the installed one.
  std::string LocaleDir() const;

 private:
  std::string mExeDir;
};

#endif
