#include "tests/Support/ConsoleCapture.h"

ConsoleCapture::ConsoleCapture()
{
    previous_ = Foundation::Console::setSink([this](Foundation::Console::Stream stream, std::string_view text) {
        std::lock_guard lock(mutex_);
        (stream == Foundation::Console::Stream::standardOutput ? out_ : err_).append(text);
    });
}

ConsoleCapture::~ConsoleCapture() { Foundation::Console::setSink(std::move(previous_)); }

std::string ConsoleCapture::output() const
{
    std::lock_guard lock(mutex_);
    return out_;
}

std::string ConsoleCapture::errors() const
{
    std::lock_guard lock(mutex_);
    return err_;
}

std::vector<std::string> ConsoleCapture::lines() const
{
    std::vector<std::string> result;
    const std::string text = output();
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            result.push_back(text.substr(start));
            break;
        }
        result.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

void ConsoleCapture::clear()
{
    std::lock_guard lock(mutex_);
    out_.clear();
    err_.clear();
}
