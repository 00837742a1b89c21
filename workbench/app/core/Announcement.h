// One thing a unit announces, and the handlers of the units that follow it: the document
// announces a new document, the file names of a direct load and a coming paint, and the setup
// form subscribes to them, so that the document never calls the form. A subscriber keeps the
// token Subscribe gives and hands it to Unsubscribe before it goes.
#pragma once

#include <functional>
#include <utility>
#include <vector>

template <class... Args>
class CAnnouncement {
 public:
  using Handler = std::function<void(Args...)>;

  int Subscribe(Handler handler) {
    handlers.emplace_back(++lastToken, std::move(handler));
    return lastToken;
  }
  void Unsubscribe(int token) {
    std::erase_if(handlers, [token](const auto& h) { return h.first == token; });
  }
  // Every handler, in the order of subscription.
  void operator()(const Args&... args) const {
    for (const auto& h : handlers) h.second(args...);
  }

 private:
  std::vector<std::pair<int, Handler>> handlers;
  int lastToken = 0;
};
