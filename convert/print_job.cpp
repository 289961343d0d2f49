#include "convert/print_job.h"

namespace {

// Far more jobs than can start in one second; past this the plain names are
// used unclaimed rather than looping on a folder that keeps refusing.
const int kMaxAttempts = 1000;

// Claims stem.extension, or stem_2.extension, ... for a name whose partner
// has a different time stamp and so cannot clash with it.
bool ClaimAlone(JobPlatform& platform, const CString& stem, const char* extension, CString& path) {
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const CString candidate = NumberedStem(stem, attempt) + extension;
        const ClaimResult claim = platform.ClaimNew(candidate);
        if (claim == ClaimResult::Claimed) {
            path = candidate;
            return true;
        }
        if (claim == ClaimResult::Failed) break;
    }
    path = stem + extension;
    return false;
}

}  // namespace

ClaimResult ClaimResultForCreateError(unsigned long error, bool name_present) {
    // Win32 error codes.
    constexpr unsigned long kAccessDenied = 5, kSharingViolation = 32, kLockViolation = 33, kFileExists = 80,
                            kAlreadyExists = 183, kDeletePending = 303;
    switch (error) {
    case kFileExists:
    case kAlreadyExists:
    case kSharingViolation:
    case kLockViolation:
    case kDeletePending:
        return ClaimResult::Taken;
    case kAccessDenied:
        return name_present ? ClaimResult::Taken : ClaimResult::Failed;
    default:
        return ClaimResult::Failed;
    }
}

WorkFileNames ClaimWorkFileNames(JobPlatform& platform, const CString& work_folder) {
    // Each name takes its own reading of the clock, so the two may straddle a
    // second and differ.
    const CString pdf_stem = WorkFileStem(work_folder, platform.Now());
    const CString ps_stem = WorkFileStem(work_folder, platform.Now());

    WorkFileNames names;
    if (!(pdf_stem == ps_stem)) {
        names.pdf_claimed = ClaimAlone(platform, pdf_stem, ".pdf", names.pdf_path);
        names.ps_claimed = ClaimAlone(platform, ps_stem, ".ps", names.ps_path);
        return names;
    }

    // Same second: both files take one stem, and a stem counts as free only
    // when neither of its two names is taken, so a copy left behind by an
    // earlier job is never overwritten either.
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const CString stem = NumberedStem(pdf_stem, attempt);
        const ClaimResult pdf_claim = platform.ClaimNew(stem + ".pdf");
        if (pdf_claim == ClaimResult::Taken) continue;
        if (pdf_claim == ClaimResult::Failed) break;
        const ClaimResult ps_claim = platform.ClaimNew(stem + ".ps");
        if (ps_claim == ClaimResult::Claimed) {
            names.pdf_path = stem + ".pdf";
            names.ps_path = stem + ".ps";
            names.pdf_claimed = names.ps_claimed = true;
            return names;
        }
        platform.Remove(stem + ".pdf");
        if (ps_claim == ClaimResult::Failed) break;
    }
    // The folder refuses new files (missing or read-only): the run goes on with
    // the plain names and simply produces nothing.
    names.pdf_path = pdf_stem + ".pdf";
    names.ps_path = ps_stem + ".ps";
    return names;
}

ConversionResult ConvertToPdf(JobPlatform& platform, Notifier& notifier, const CString& program_folder,
                              const CString& pdf_path, const CString& ps_path) {
    platform.ShowWaitCursor();
    const CString command_line = GhostscriptCommandLine(platform.ShortForm(program_folder), pdf_path, ps_path);
    const RunResult run = platform.RunAndWait(command_line);
    if (!run.started) {
        platform.RestoreCursor();
        notifier.Show("File missing. Please reinstall the software", "Fax", kIconExclamation);
        return ConversionResult::NotStarted;
    }
    platform.RestoreCursor();
    platform.Remove(ps_path);

    // Ghostscript leaves a blank one-page PDF behind when it cannot read its
    // input, and a truncated one when it fails half way; only a clean exit
    // with a non-empty file (our placeholder starts empty) is a conversion.
    if (run.exit_code_known && run.exit_code == 0 && platform.SizeOf(pdf_path) > 0) {
        return ConversionResult::Produced;
    }
    return ConversionResult::Failed;
}

CString ProgramFolder(JobPlatform& platform) { return ProgramFolderFromModulePath(platform.ModulePath()); }

const char kConversionFailedText[] = "Unable to convert the print job to PDF";
const char kConversionCaption[] = "Fax";

CString PreparePrintJob(JobPlatform& platform, Notifier& notifier, const CString& print_file_path,
                        const CString& program_folder, PrintFileOwner owner, bool* converted) {
    if (converted) *converted = false;
    const CString work_folder = WorkFolder(program_folder);
    if (!platform.Exists(work_folder)) platform.MakeFolder(work_folder);

    const WorkFileNames names = ClaimWorkFileNames(platform, work_folder);

    CString print_file = print_file_path;
    print_file.Trim();

    const bool copied = platform.CopyOver(print_file, names.ps_path);
    if (!copied && names.ps_claimed) {
        // Nothing to convert: drop our empty placeholder so that Ghostscript
        // finds no input, as it would have without the claim.
        platform.Remove(names.ps_path);
    }

    const ConversionResult result = ConvertToPdf(platform, notifier, program_folder, names.pdf_path, names.ps_path);

    if (result == ConversionResult::Produced) {
        if (owner == PrintFileOwner::Spooler) platform.Remove(print_file);
        platform.Remove(names.ps_path);
        if (converted) *converted = true;
        return names.pdf_path;
    }
    // What is left under the PDF name is our empty placeholder or Ghostscript's
    // failed output; neither may pass for a converted job. An unclaimed name
    // that Ghostscript never ran on is not ours to delete.
    if (names.pdf_claimed || result == ConversionResult::Failed) platform.Remove(names.pdf_path);
    // Without Ghostscript the copy would only be left behind: the spooled
    // file stays, and it is the job.
    if (result == ConversionResult::NotStarted && copied) platform.Remove(names.ps_path);
    if (result == ConversionResult::Failed && !print_file.IsEmpty())
        notifier.Show(kConversionFailedText, kConversionCaption, kIconExclamation);
    return print_file;
}

CString PreparePrintJob(JobPlatform& platform, Notifier& notifier, const CString& print_file_path, PrintFileOwner owner,
                        bool* converted) {
    return PreparePrintJob(platform, notifier, print_file_path, ProgramFolder(platform), owner, converted);
}

namespace {

CString Comparable(CString path) {
    path.Replace("/", "\\");
    path.MakeLower();
    return path;
}

// A PDF this program made: work folder + "Fax_" ... ".pdf".
bool IsJobPdf(const CString& path, const CString& program_folder) {
    const CString name = Comparable(path);
    const CString stem = Comparable(WorkFolder(program_folder) + "Fax_");
    return name.GetLength() > stem.GetLength() + 4 && name.Left(stem.GetLength()) == stem &&
           name.Mid(name.GetLength() - 4) == ".pdf";
}

}  // namespace

void DeletePrintFileOnClose(JobPlatform& platform, const CString& print_file_path, const CString& program_folder) {
    if (print_file_path.IsEmpty() || !IsJobPdf(print_file_path, program_folder)) return;
    platform.Remove(print_file_path);
}

void DeletePrintFileOnClose(JobPlatform& platform, const CString& print_file_path) {
    DeletePrintFileOnClose(platform, print_file_path, ProgramFolder(platform));
}
