#include "data_folder.h"
#include "host/data_files.h"
#include "host/run_demo.h"
#include "win32.h"

// The command line and the other arguments are ignored. The demo opens its
// data files by relative name: started from a folder that has none of them,
// it plays from the installed data or, in a build tree, from the source
// tree's data (one line on stderr says which).
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  EnterDataFolder("vimra", kDataFileNames);
  RunDemo();
  return 0;
}
