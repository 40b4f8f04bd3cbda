#pragma once

namespace fakes {
class FakeDialogs;
}

// The dialogs of the test's application object, which report errors escaping a handler.
fakes::FakeDialogs& applicationDialogs();
