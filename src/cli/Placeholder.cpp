namespace rq::cli {}
