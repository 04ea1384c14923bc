#include "automation/server.h"

#include <cstdio>

#include "automation/http_transport.h"
#include "automation/stdio_transport.h"

namespace ollendor {

AutomationServer::AutomationServer(AutomationSettings settings) : settings_(std::move(settings)) {}

AutomationServer::~AutomationServer()
{
    stop();
}

bool AutomationServer::start(std::string& error)
{
    if (settings_.httpPort) {
        http_ = std::make_unique<HttpTransport>(access_, HttpSettings{*settings_.httpPort, settings_.token, settings_.readableFolders});
        if (!http_->start(error))
            return false;
        std::fprintf(stderr, "ollendor: automation server at http://127.0.0.1:%d/mcp\n", http_->port());
    }
    if (settings_.stdio) {
        stdio_ = std::make_unique<StdioTransport>(access_);
        stdio_->start();
    }
    return true;
}

int AutomationServer::httpPort() const
{
    return http_ ? http_->port() : 0;
}

bool AutomationServer::service(Control& control)
{
    queue_.drain(control);
    if (access_.quitRequested())
        return false;
    if (stdio_ && stdio_->finished()) {
        if (settings_.endWhenInputEnds)
            return false;
        if (!inputGoneReported_) {
            inputGoneReported_ = true;
            std::fprintf(stderr, "ollendor: the automation client on standard input is gone; the machine runs on\n");
        }
    }
    return true;
}

void AutomationServer::stop()
{
    queue_.close();
    if (http_)
        http_->stop();
    if (stdio_)
        stdio_->stop();
}

} // namespace ollendor
