#include "update/HttpClient.h"

namespace orlo::update {

const char* HttpFailureText(HttpFailure failure) {
  switch (failure) {
    case HttpFailure::None: return "no failure";
    case HttpFailure::BadUrl: return "not an https URL";
    case HttpFailure::Connect: return "cannot connect to the server";
    case HttpFailure::Certificate: return "the server's certificate is not trusted";
    case HttpFailure::Tls: return "the secure connection failed";
    case HttpFailure::Redirect: return "redirected to a URL that is not https";
    case HttpFailure::Timeout: return "the server did not answer in time";
    case HttpFailure::Status: return "the server answered with an error status";
    case HttpFailure::Truncated: return "the reply ended early";
    case HttpFailure::TooLarge: return "the reply is larger than allowed";
    case HttpFailure::Cancelled: return "cancelled";
    case HttpFailure::Other: break;
  }
  return "transfer failed";
}

}  // namespace orlo::update
