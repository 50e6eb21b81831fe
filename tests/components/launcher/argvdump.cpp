// A small program the launcher tests start: it writes its process id, working
// folder and arguments to the file named by KR_ARGVDUMP_OUT (each text
// percent-encoded on its own line), then behaves as KR_ARGVDUMP_MODE says:
// "exit" ends at once, "wait" runs until it is terminated, "ignore" ignores
// SIGTERM and runs until killed. Every run ends by itself after 30 seconds.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

static std::string encode(const char *s)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(s); *p; ++p) {
        if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') || *p == '/' || *p == '.' || *p == '-' || *p == '_') {
            out += char(*p);
        } else {
            out += '%';
            out += hex[*p >> 4];
            out += hex[*p & 15];
        }
    }
    return out;
}

int main(int argc, char **argv)
{
    const char *mode = std::getenv("KR_ARGVDUMP_MODE");
    const std::string m = mode ? mode : "exit";
    if (m == "ignore")
        std::signal(SIGTERM, SIG_IGN);
    if (const char *out = std::getenv("KR_ARGVDUMP_OUT")) {
        const std::string tmp = std::string(out) + ".part";
        if (FILE *f = std::fopen(tmp.c_str(), "w")) {
            char cwd[4096];
            std::fprintf(f, "%ld\n%s\n%d\n", long(getpid()), getcwd(cwd, sizeof cwd) ? encode(cwd).c_str() : "", argc);
            for (int i = 0; i < argc; ++i)
                std::fprintf(f, "%s\n", encode(argv[i]).c_str());
            std::fclose(f);
            std::rename(tmp.c_str(), out);
        }
    }
    if (m == "exit")
        return 0;
    for (int i = 0; i < 300; ++i)
        usleep(100000);
    return 0;
}
