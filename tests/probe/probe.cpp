// A small device client for the simulator's tests, built dynamically and statically.
//   probe                               prints "ran"
//   probe signal N                      ends by signal N
//   probe i2c NODE ADDR STEP...         I2C_SLAVE ADDR on NODE, then per step one line:
//     w:HEX  write() the bytes (prints the count)    r:N  read() N bytes (prints them)
//     x:REQUEST  an ioctl with argument 0 (prints 0)
// A failed step prints the errno's message.
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

static void Step(int fd, const std::string& step)
{
    std::string value = step.substr(2);
    long result = -1;
    std::vector<unsigned char> bytes;
    if (step[0] == 'w') {
        for (size_t i = 0; i + 1 < value.size(); i += 2)
            bytes.push_back(static_cast<unsigned char>(strtoul(value.substr(i, 2).c_str(), nullptr, 16)));
        result = write(fd, bytes.data(), bytes.size());
    } else if (step[0] == 'r') {
        bytes.resize(strtoul(value.c_str(), nullptr, 0));
        result = read(fd, bytes.data(), bytes.size());
    } else {
        result = ioctl(fd, strtoul(value.c_str(), nullptr, 0), 0);
    }
    if (result < 0) {
        printf("%s\n", strerror(errno));
    } else if (step[0] == 'r') {
        for (long i = 0; i < result; ++i)
            printf(i == 0 ? "%02x" : " %02x", static_cast<unsigned>(bytes[i]));
        printf("\n");
    } else {
        printf("%ld\n", result);
    }
}

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "signal") == 0)
        raise(atoi(argv[2]));
    if (argc < 4 || strcmp(argv[1], "i2c") != 0) {
        printf("ran\n");
        return 0;
    }
    int fd = open(argv[2], O_RDWR);
    if (fd < 0 || ioctl(fd, I2C_SLAVE, strtoul(argv[3], nullptr, 0)) != 0) {
        printf("%s: %s\n", argv[2], strerror(errno));
        return 1;
    }
    for (int i = 4; i < argc; ++i)
        Step(fd, argv[i]);
    close(fd);
    return 0;
}
