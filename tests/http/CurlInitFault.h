#pragma once

namespace httptest {

// While set, every new client of this test program gets no libcurl handle.
void FailCurlEasyInit(bool bFail);

}  // namespace httptest
