// The program's version, the one place it is written down. The version
// record in ocxmedic.rc is made from it; the program reads its version back
// from that record at run time.
#pragma once

#define OCXMEDIC_VERSION_MAJOR 1
#define OCXMEDIC_VERSION_MINOR 0
#define OCXMEDIC_VERSION_BUILD 0
#define OCXMEDIC_VERSION_REVISION 6

// As the file version is shown in the record's texts: 1.00.0006.
#define OCXMEDIC_VERSION_TEXT "1.00.0006"
