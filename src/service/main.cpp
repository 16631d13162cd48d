// Quillspur's Windows service: keeps the monitor running for the service
// manager. Its command line, set by the installer:
//   quillspur-service --jobs FILE [--directory DIR] [--restart-delay SECONDS]
#include <stdio.h>

#include "service/service_host.h"
#include "service/service_settings.h"

int main(int argc, char* argv[]) {
  ServiceSettings settings;
  if (!settings.Parse(argc, argv)) {
    (void)fprintf(stderr,
                  "quillspur-service: %s\nusage: quillspur-service --jobs FILE "
                  "[--directory DIR] [--restart-delay SECONDS]\n",
                  settings.Error().c_str());
    return 2;
  }
  return ServiceHost::Run(settings);
}
