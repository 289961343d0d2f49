// The life of a print job's files: copy into the work folder, conversion to
// PDF with Ghostscript, and the clean-up when the send-fax window goes away.
// The send-fax window runs PreparePrintJob in its initialisation (with a
// WinJobPlatform and its message-box notifier) and DeletePrintFileOnClose when
// it is destroyed.
#pragma once

#include "convert/job_platform.h"
#include "framework/cstring.h"
#include "framework/notifier.h"

struct WorkFileNames {
    CString pdf_path;
    CString ps_path;
    bool pdf_claimed = false;  // an empty placeholder of that name is ours
    bool ps_claimed = false;
};

// The PDF and PostScript copy names of a new job in the work folder, each
// name already created empty so no other job can take it.
WorkFileNames ClaimWorkFileNames(JobPlatform& platform, const CString& work_folder);

// How a refused exclusive create of a work file counts in the name search,
// from the Win32 error and whether something still holds the name. A name
// that exists, is open elsewhere (sharing or lock violation) or is pending
// deletion (access denied while the name is still there) is taken, and the
// next number is tried; only a folder that refuses new files ends the search.
ClaimResult ClaimResultForCreateError(unsigned long error, bool name_present);

enum class ConversionResult {
    NotStarted,  // Ghostscript could not be started; the user has been told
    Failed,      // it ran but did not produce the PDF
    Produced,    // the PDF is there and complete
};

// Runs Ghostscript from program_folder on ps_path into pdf_path and waits for
// it; deletes ps_path afterwards unless Ghostscript could not be started.
ConversionResult ConvertToPdf(JobPlatform& platform, Notifier& notifier, const CString& program_folder,
                              const CString& pdf_path, const CString& ps_path);

// The program folder of the running executable, ending with a backslash.
CString ProgramFolder(JobPlatform& platform);

// Whose file the command line names: the virtual printer's spooled job, which
// is ours to delete once converted, or a user's own document (Send To, a
// path typed by hand), which is never deleted, moved or changed.
enum class PrintFileOwner { Spooler, User };

// Copies the print file into the work folder below program_folder and
// converts it. Returns the new print-file path: the PDF when the conversion
// produced one (a spooled print file is then deleted), otherwise the trimmed
// path that was passed in, with the print file and the work folder as they
// were. A conversion that ran but made no PDF is told to the user, so a job
// that was not converted is never taken for one.
// converted, when given, tells whether the result names a PDF that was made.
CString PreparePrintJob(JobPlatform& platform, Notifier& notifier, const CString& print_file_path,
                        const CString& program_folder, PrintFileOwner owner = PrintFileOwner::Spooler,
                        bool* converted = nullptr);
// The same below the folder of the running executable.
CString PreparePrintJob(JobPlatform& platform, Notifier& notifier, const CString& print_file_path,
                        PrintFileOwner owner = PrintFileOwner::Spooler, bool* converted = nullptr);

// The box of a conversion that ran but made no PDF, and its caption.
extern const char kConversionFailedText[];
extern const char kConversionCaption[];

// When the send-fax window is destroyed, whatever way it closes: the job's
// PDF that the print-file path names is deleted. A path that still names the
// spooled file (no PDF was made) is left alone: that file is the only copy of
// the job. The work folder stays.
void DeletePrintFileOnClose(JobPlatform& platform, const CString& print_file_path, const CString& program_folder);
// The same below the folder of the running executable.
void DeletePrintFileOnClose(JobPlatform& platform, const CString& print_file_path);
