// Runs the fuzz target once over each file named on the command line, or over
// every file of each directory named, for builds without libFuzzer. A failed
// check aborts the run.
#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static bool ReadInput(const std::filesystem::path &path, std::vector<uint8_t> *bytes)
{
    FILE *file = fopen(path.string().c_str(), "rb");
    if (file == nullptr)
        return false;
    bytes->clear();
    uint8_t buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + got);
    fclose(file);
    return true;
}

int main(int argc, char **argv)
{
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; i++) {
        std::error_code error;
        if (std::filesystem::is_directory(argv[i], error)) {
            for (const auto &entry : std::filesystem::directory_iterator(argv[i], error)) {
                if (entry.is_regular_file(error))
                    inputs.push_back(entry.path());
            }
        } else {
            inputs.push_back(argv[i]);
        }
        if (error) {
            fprintf(stderr, "%s: %s\n", argv[i], error.message().c_str());
            return 1;
        }
    }
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        fprintf(stderr, "no inputs\n");
        return 1;
    }
    std::vector<uint8_t> bytes;
    for (const auto &input : inputs) {
        if (!ReadInput(input, &bytes)) {
            fprintf(stderr, "%s: cannot read\n", input.string().c_str());
            return 1;
        }
        printf("%s\n", input.filename().string().c_str());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    printf("%zu inputs passed\n", inputs.size());
    return 0;
}
