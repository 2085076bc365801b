// The operating-system services Brenvale needs, behind one portable interface.
// platform/win32/ implements it with thin Win32 calls, platform/posix/ with the project's own code
// that answers as Windows would. No other folder asks which system it runs on.
//
// Every text is bytes in the system's ANSI code page and every path is used exactly as given;
// a run of separators inside a path means one separator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// ---- Text -------------------------------------------------------------------------------------

// Texts are bytes in the system's ANSI code page: GBK (936) on Chinese Windows, UTF-8 on Linux.
constexpr unsigned kUtf8CodePage = 65001;

// The code page of every text the program handles (Windows: GetACP; Linux: always UTF-8).
unsigned AnsiCodePage();

// Converts one of the program's own UTF-8 literals to the ANSI code page.
// Characters the code page lacks become the system's default character.
std::string Utf8ToAnsi(std::string_view utf8);

// One of the program's own UTF-8 literals in the code page, converted on first use and kept:
// platform::Literal<"文件同步完成!">().
template <std::size_t N> struct Utf8Literal {
    char text[N];
    constexpr Utf8Literal(const char (&utf8)[N]) {
        for (std::size_t i = 0; i < N; ++i)
            text[i] = utf8[i];
    }
};
template <Utf8Literal literal> const std::string& Literal() {
    static const std::string converted = Utf8ToAnsi(literal.text);
    return converted;
}

// True when the byte starts a two-byte character of the code page; its second byte may then
// equal the separator without being one. Never true for UTF-8.
bool IsLeadByte(unsigned char byte);

// ---- Paths ------------------------------------------------------------------------------------

extern const char kSeparator; // '\\' on Windows, '/' on Linux

// The position of the last separator of a path that is a separator and not the second byte of
// a double-byte character, or npos.
std::size_t FindLastSeparator(std::string_view path);

// The names between separators, runs of separators counting as one ("a\\b\" gives a, b).
std::vector<std::string> SplitPath(std::string_view path);

// The absolute form of a path, with ".", "..", repeated separators and links resolved as far as
// the path exists; what does not exist yet is appended as written. Empty when it cannot be made.
std::string CanonicalPath(const std::string& path);

// Whether two names name the same entry: byte for byte on Linux, ignoring letter case on Windows.
bool SameEntryName(std::string_view a, std::string_view b);

// ---- Directory search -------------------------------------------------------------------------

// Attribute bits as Windows reports them. The POSIX layer reports 16 for a directory, 32 for
// anything else, 1024 in addition for a symbolic link and 2 for a name that begins with ".".
enum Attribute : std::uint32_t {
    kReadOnly = 1,
    kHidden = 2,
    kSystem = 4,
    kDirectory = 16,
    kArchive = 32,
    kNormal = 128,
    kReparsePoint = 1024, // a symbolic link, junction or other link: never entered as a directory
};

struct FoundEntry {
    std::string name; // the entry's own name, without its directory
    std::uint32_t attributes = 0;
    std::int64_t size = 0; // a directory reports 0; a link reports its own size
};

// One search in progress (FindFirstFileA, FindNextFileA, FindClose). A pattern DIR\*.* lists DIR:
// "." and ".." first, then the entries (POSIX: in byte order of their names). Any other pattern
// names that one entry; the entry is the link itself when the path names a link.
class DirectorySearch {
  public:
    DirectorySearch();
    ~DirectorySearch();
    DirectorySearch(const DirectorySearch&) = delete;
    DirectorySearch& operator=(const DirectorySearch&) = delete;

    // Closes any search still open, then starts one. False, with no search open, when nothing
    // matches or the directory cannot be listed.
    bool Start(const std::string& pattern, FoundEntry& first);
    // The next entry; false (the search stays open until Close) when there is none.
    bool Next(FoundEntry& next);
    void Close();
    bool IsOpen() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// True when the directory exists and can be listed, empty or not (an empty drive root included).
bool IsListableDirectory(const std::string& directory);

// ---- Changes to the file system ---------------------------------------------------------------

// Creates the last level of the path only (CreateDirectoryA / mkdir).
bool CreateOneDirectory(const std::string& path);
// Deletes a file, or a link as a link (DeleteFileA / unlink). Never a directory; no attribute is
// changed first, so Windows refuses a read-only file.
bool DeleteOneFile(const std::string& path);
// Removes an empty directory, or a link to a directory as a link (RemoveDirectoryA / rmdir).
bool RemoveEmptyDirectory(const std::string& path);

// Called on the copying thread once before any data moves (transferred 0) and after each chunk.
// A result other than 0 cancels the copy.
using CopyProgressRoutine = std::uint32_t (*)(std::int64_t total_size, std::int64_t transferred, void* data);

// Copies source over destination so that the destination is either as it was or the whole new
// copy: the data goes to an unnamed file (POSIX, where the file system allows) or to the file
// `temporary`, in the destination's directory, which then takes the destination's place in one
// step (rename, MoveFileExA). On failure nothing is left under the temporary name. Carries
// modification time and permissions (Windows: times and attributes). On POSIX a link is copied as a
// link, and any other entry that is not a regular file fails at once without being opened in a way
// that could block.
bool CopyFileWhole(const std::string& source, const std::string& destination, const std::string& temporary,
                   CopyProgressRoutine routine, void* data);

// ---- Test seam --------------------------------------------------------------------------------

// Lets tests make a change to the file system fail, or act at the moment it happens, where the
// system itself cannot be made to refuse (tests run as root). No hook is set outside tests.
enum class FileOperation { kListDirectory, kCreateDirectory, kDeleteFile, kRemoveDirectory, kReplace, kCopy };
// Called before the operation, on the calling thread; true makes the operation fail untried.
using FileOperationHook = bool (*)(FileOperation operation, const std::string& path, void* context);
void SetFileOperationHook(FileOperationHook hook, void* context);   // null removes it
bool HookRefuses(FileOperation operation, const std::string& path); // for the implementations

// ---- Terminal ---------------------------------------------------------------------------------

enum class Stream { kOut, kErr };
// True when the stream is a terminal (a console on Windows), not a file or a pipe.
bool IsTerminal(Stream stream);
// The terminal's width in columns; 80 when it cannot be told.
int TerminalColumns(Stream stream);
// Writes a text of the code page as it is; on a Windows console as UTF-16, so that Chinese shows
// whatever the console's own code page.
void WriteText(Stream stream, std::string_view text);

// The first interrupt (Ctrl-C or SIGINT, SIGTERM, Ctrl-Break) calls the handler, which must be
// safe in a signal handler (storing to a lock-free atomic is); the second ends the process at once
// with exit status 130.
using InterruptHandler = void (*)();
void OnInterrupt(InterruptHandler first);

// ---- Profile strings (INI files) -----------------------------------------------------------------

// The value of key in section of an INI file, blanks around it and one pair of enclosing quotes
// removed, cut to buffer_size - 1 bytes; empty when the file, section or key is missing
// (GetPrivateProfileStringA; on POSIX the project's own reader with the same rules).
std::string ReadIniValue(const std::string& section, const std::string& key, const std::string& file,
                         std::size_t buffer_size);
// Writes key=value into section, replacing the key's line in place, or adding the key at the end of
// its section, or the section at the end of the file, which is created when missing. CRLF lines.
// False when the file cannot be written (WritePrivateProfileStringA; on POSIX the project's own).
bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file);

// ---- Process ----------------------------------------------------------------------------------

// The running program's own full path (GetModuleFileNameA; /proc/self/exe).
std::string ModulePath();
// Makes the directory the process's current directory (SetCurrentDirectoryA; chdir).
bool SetCurrentDir(const std::string& directory);

std::uint32_t CurrentProcessId();

} // namespace platform
