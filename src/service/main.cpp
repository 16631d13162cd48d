// Quillspur's Windows service: keeps the monitor running for the service
// manager. Its command line, set by the installer: quillspur-service <job file>
#include <stdio.h>

#include "service_host.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    fputs("usage: quillspur-service <job file>\n", stderr);
    return 2;
  }
  return ServiceHost::Run(argv[1]);
}
